#!/usr/bin/env bash
# The MLT filter in Y'CbCr pipelines: each case renders a lossless 4:2:2 clip
# with melt to raw Y'CbCr twice, without the filter and with it, and
# ycbcr_check compares the two (outside the rectangle every sample equal;
# inside, the floors reached within the bound the README states).
# Usage: ycbcr.sh BUILD_DIR YCBCR_CHECK_TOOL
set -euo pipefail
build=$1 check=$2
command -v melt >/dev/null || { echo "SKIP: melt is not installed"; exit 77; }
tmp=$(mktemp -d)
trap '[ -n "${KEEP:-}" ] || rm -rf "$tmp"' EXIT
export XDG_CONFIG_HOME=$tmp/config
mkdir -p "$XDG_CONFIG_HOME" "$tmp/mlt"
for m in core avformat; do ln -s "$(pkg-config --variable=moduledir mlt-framework-7)/libmlt$m.so" "$tmp/mlt/"; done
ln -s "$build/lib/mlt-7/libmltzorvane.so" "$build/lib/mlt-7/zorvane" "$tmp/mlt/"

# clip SPACE: chroma detail in whole 2 x 2 blocks, so that pixels sharing chroma
# share a colour, in R'G'B' range, tagged with its colour space (601 or 709).
clip() {
  local tag=bt709; [ "$1" = 709 ] || tag=bt470bg
  ffmpeg -nostdin -v error -y -f lavfi -i \
    "testsrc2=s=96x54:r=10:d=1,scale=192:108:flags=neighbor:out_color_matrix=bt$1,format=yuv422p" \
    -c:v ffv1 -colorspace $tag "$tmp/clip.mkv"
}

# render OUT PIX_FMT MLT_FORMAT COLORSPACE [FILTER ARGS...]: raw planar frames in OUT
render() {
  local out=$1 pix=$2 format=$3 space=$4; shift 4
  printf '%s\n' description=clip width=192 height=108 progressive=1 sample_aspect_num=1 sample_aspect_den=1 display_aspect_num=16 \
    display_aspect_den=9 frame_rate_num=10 frame_rate_den=1 colorspace="$space" >"$tmp/profile"
  MLT_REPOSITORY=$tmp/mlt melt -quiet -profile "$tmp/profile" "$tmp/clip.mkv" "$@" -consumer avformat:"$tmp/out.nut" \
    vcodec=rawvideo pix_fmt="$pix" mlt_image_format="$format" real_time=-1 an=1 </dev/null >/dev/null \
    2>"$tmp/melt.log" || { cat "$tmp/melt.log" >&2; echo "FAIL: melt $*" >&2; exit 1; }
  ffmpeg -nostdin -v error -i "$tmp/out.nut" -f rawvideo -y "$out"
}

status=0
# name | consumer pix_fmt, MLT format, checker layout | profile colour space | rect | floors in percent |
# the rect in pixels (left top right bottom) and the floors in levels, worked by hand | bound
while IFS='|' read -r name pix format layout space rect percent pixels levels bound; do
  clip $space
  render "$tmp/without.raw" $pix $format $space
  render "$tmp/with.raw" $pix $format $space -filter zorvane rect="$rect" $percent
  if result=$("$check" $layout 192 108 "$tmp/without.raw" "$tmp/with.raw" $pixels $levels $space tv $bound); then
    echo "ok: $name: $result"
  else
    echo "FAIL: $name: $result" >&2; status=1
  fi
done <<'CASES'
yuv422, BT.601, odd edges|yuv422p|yuv422|422|601|10% 10% 30% 30%|red=100 green=50 blue=20|19 10 76 43|255 127 51|2
yuv422p16, BT.709|yuv422p16le|yuv422p16|422x16|709|25% 20% 50% 50%|red=0 green=100 blue=40|48 21 144 75|0 255 102|0.1
CASES
exit $status
