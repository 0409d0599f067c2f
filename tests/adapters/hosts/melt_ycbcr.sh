#!/usr/bin/env bash
# The native filter in Y'CbCr pipelines: each case renders a lossless 4:2:2
# clip with melt to raw Y'CbCr twice, without the filter and with it, and
# zorvane-ycbcr-check compares the two: outside the rectangle every sample
# equal; inside, the floors reached within the bound the README states.
source "$(dirname "$0")/lib.sh"
needs ffmpeg
melt_setup
check=$build/bin/zorvane-ycbcr-check
[ -x "$check" ] || fail "$check is not built"

# clip SPACE: chroma detail in whole 2 x 2 blocks, so that pixels sharing chroma
# share a colour, in R'G'B' range, tagged with its colour space (601 or 709).
ycbcr_clip() {
  local tag=bt709; [ "$1" = 709 ] || tag=bt470bg
  ffmpeg -nostdin -v error -y -f lavfi -i \
    "testsrc2=s=96x54:r=10:d=1,scale=192:108:flags=neighbor:out_color_matrix=bt$1,format=yuv422p" \
    -c:v ffv1 -colorspace $tag "$tmp/clip.mkv"
  profile 192 108 10 "$1"
}

# name | consumer pix_fmt, MLT format, checker layout | colour space | rect | floors in percent |
# the rect in pixels (left top right bottom) and the floors in levels, worked by hand | bound
while IFS='|' read -r name pix format layout space rect percent pixels levels bound; do
  ycbcr_clip $space
  melt_pix=$pix melt_format=$format melt "$tmp/without.raw" "$tmp/clip.mkv"
  melt_pix=$pix melt_format=$format melt "$tmp/with.raw" "$tmp/clip.mkv" -filter zorvane rect="$rect" $percent
  result=$("$check" $layout 192 108 "$tmp/without.raw" "$tmp/with.raw" $pixels $levels $space tv $bound) ||
    fail "melt in $name: $result"
  echo "ok: melt in $name: $result"
done <<'CASES'
yuv422, BT.601, odd edges|yuv422p|yuv422|422|601|10% 10% 30% 30%|red=100 green=50 blue=20|19 10 76 43|255 127 51|2
yuv422p16, BT.709|yuv422p16le|yuv422p16|422x16|709|25% 20% 50% 50%|red=0 green=100 blue=40|48 21 144 75|0 255 102|0.1
CASES
