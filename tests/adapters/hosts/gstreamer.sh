#!/usr/bin/env bash
# GStreamer's frei0r bridge takes the stored configuration as its defaults.
source "$(dirname "$0")/lib.sh"
needs ffmpeg gst-launch-1.0
clip "$tmp/clip.mkv" 67x45
"$store" 0.1 0.6 0.2 0.9 30 60 90
render "$tmp/clip.mkv" "$tmp/stored.rgba"
"${host[@]}" gst-launch-1.0 -q filesrc location="$tmp/clip.mkv" ! matroskademux ! avdec_ffv1 ! videoconvert ! \
  frei0r-filter-zorvane ! videoconvert ! video/x-raw,format=RGBA ! filesink location="$tmp/gst.rgba" >/dev/null
same "$tmp/stored.rgba" "$tmp/gst.rgba" "gst-launch frei0r-filter-zorvane"
