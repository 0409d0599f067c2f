#!/usr/bin/env bash
# Two filters in one chain keep their own rectangles and floors; the second
# equals a second render over the first's lossless output.
source "$(dirname "$0")/lib.sh"
needs ffmpeg
melt_clip 66 45 10 20
"$store" 0 0.5 0 0.5 100 0 0
"$zorvane" render "$decoded" -o "$tmp/first.nut" --vcodec rawvideo --quiet
"$store" 0.25 1 0.5 1 0 0 100
render "$tmp/first.nut" "$tmp/two.rgba"
"$store" 0 1 0 1 0 0 0
melt "$tmp/m.rgba" "$clip" -filter zorvane rect="0% 0% 50% 50%" red=100 green=0 blue=0 \
  -filter zorvane rect="16.5 22.5 49.5 22.5" red=0 green=0 blue=100
same "$tmp/two.rgba" "$tmp/m.rgba" "melt, two zorvane filters in one chain"
