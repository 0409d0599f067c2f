#!/usr/bin/env bash
# Whole-pixel rectangles through melt lift exactly their pixels at several
# profile sizes, and each value of rect keeps its own unit.
source "$(dirname "$0")/lib.sh"
needs ffmpeg python3
# W H FRAMES | rect | the rectangle lifted in the first and the last frame
while IFS='|' read -r size rect first last; do
  read -r w h n <<<"$size"
  melt_clip "$w" "$h" 25 "$n" opaque
  "$store" 0 1 0 1 30 60 90
  render "$decoded" "$tmp/all.rgba"
  melt "$tmp/got.rgba" "$clip" -filter zorvane rect="$rect" red=30 green=60 blue=90
  lift "$tmp/want0.rgba" "$w" "$h" 0 "$first"
  lift "$tmp/want1.rgba" "$w" "$h" $((n - 1)) "$last"
  cat "$tmp/want1.rgba" >>"$tmp/want0.rgba"
  { frames "$tmp/got.rgba" 0 1; frames "$tmp/got.rgba" $((n - 1)) 1; } >"$tmp/got01.rgba"
  same "$tmp/want0.rgba" "$tmp/got01.rgba" "rect=\"$rect\" at ${w}x$h"
done <<EOF
1920 1080 1|31 62 1000 500|31 62 1000 500|31 62 1000 500
720 576 1|7 29 333 101|7 29 333 101|7 29 333 101
320 240 10|0=0 0 160 120;9=50% 50% 50% 50%|0 0 160 120|160 120 160 120
320 240 2|10 5 50% 50%|10 5 160 120|10 5 160 120
EOF
