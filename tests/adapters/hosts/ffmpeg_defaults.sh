#!/usr/bin/env bash
# frei0r in ffmpeg: the filter's defaults are the stored configuration.
# ffmpeg hands frei0r filters rows padded to 64 bytes, which the interface has
# no way to say: this clip is 64 pixels wide.
source "$(dirname "$0")/lib.sh"
needs ffmpeg
clip "$tmp/clip.mkv" 64x45
"$store" 0.1 0.6 0.2 0.9 30 60 90
render "$tmp/clip.mkv" "$tmp/stored.rgba"
"${host[@]}" ffmpeg -v error -i "$tmp/clip.mkv" -vf frei0r=zorvane -f rawvideo -pix_fmt rgba -y "$tmp/ff.rgba"
same "$tmp/stored.rgba" "$tmp/ff.rgba" "ffmpeg frei0r, stored defaults"
