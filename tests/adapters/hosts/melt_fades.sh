#!/usr/bin/env bash
# The native filter's fades over the whole clip, as zorvane render fades it.
source "$(dirname "$0")/lib.sh"
needs ffmpeg
melt_clip 66 45 10 20
"$store" 0.1 0.6 0.2 0.9 30 60 90
render "$decoded" --fade-in 6 --fade-out 5 "$tmp/fades.rgba"
melt "$tmp/m.rgba" "$clip" -filter zorvane fade_in=6 fade_out=5
same "$tmp/fades.rgba" "$tmp/m.rgba" "melt zorvane with fades, two rendering threads"
