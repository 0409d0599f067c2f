#!/usr/bin/env bash
# MLT's frei0r module runs the frei0r filter on the stored configuration.
source "$(dirname "$0")/lib.sh"
needs ffmpeg
melt_clip 66 45 10 20
"$store" 0.1 0.6 0.2 0.9 30 60 90
render "$decoded" "$tmp/stored.rgba"
melt "$tmp/m.rgba" "$clip" -filter frei0r.zorvane
same "$tmp/stored.rgba" "$tmp/m.rgba" "melt frei0r.zorvane"
