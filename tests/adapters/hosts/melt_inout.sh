#!/usr/bin/env bash
# In and out points mid-clip: the fades count from the cut's own first frame.
source "$(dirname "$0")/lib.sh"
needs ffmpeg
melt_clip
"$store" 0.1 0.6 0.2 0.9 30 60 90
render "$decoded" --start 5 --frames 12 --fade-in 4 --fade-out 3 "$tmp/cut.rgba"
melt "$tmp/m.rgba" "$clip" in=5 out=16 -filter zorvane fade_in=4 fade_out=3
same "$tmp/cut.rgba" "$tmp/m.rgba" "melt zorvane over in/out points mid-clip"
