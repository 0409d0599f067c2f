#!/usr/bin/env bash
# frei0r in ffmpeg with explicit parameters, beyond the frame on the right and
# bottom; they override a different stored configuration.
source "$(dirname "$0")/lib.sh"
needs ffmpeg
clip "$tmp/clip.mkv" 64x45
"$store" 0.25 1.5 -0.5 0.5 100 0 40
render "$tmp/clip.mkv" "$tmp/set.rgba"
"$store" 0 1 0 1 50 50 50
"${host[@]}" ffmpeg -v error -i "$tmp/clip.mkv" -vf "frei0r=zorvane:0.25|1.5|-0.5|0.5|1|0|0.4" -f rawvideo -pix_fmt rgba \
  -y "$tmp/ff.rgba"
same "$tmp/set.rgba" "$tmp/ff.rgba" "ffmpeg frei0r, parameters"
