#!/usr/bin/env bash
# The MLT filter's cost in a Y'CbCr render, on a 10-second 1080p H.264 clip:
# melt to a null muxer with a 4:2:2 consumer (the format editors render in),
# with -filter zorvane over 30% x 30% of the frame (A) against without it (B).
# A second pair with the rectangle over the whole frame shows the cost grow
# with its area. Timed with farm-bench, A and B in turn; quote the median ratios.
# Usage: RUNS=5 bench/melt-ycbcr.sh [BUILD_DIR]   (a Release build)
set -euo pipefail
build=$(realpath "${1:-build/release}")
runs=${RUNS:-5}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

clip=$tmp/clip.mp4
ffmpeg -nostdin -v error -f lavfi -i "testsrc2=s=1920x1080:r=25:d=10" -c:v libx264 -preset veryfast -pix_fmt yuv420p \
  "$clip"

# MLT_REPOSITORY names one folder: the system's modules and ours, as links.
mlt=$tmp/mlt
mkdir "$mlt"
ln -s "$(pkg-config --variable=moduledir mlt-framework-7)"/* "$mlt/"
ln -sfn "$build/lib/mlt-7/libmltzorvane.so" "$build/lib/mlt-7/zorvane" "$mlt/"  # ours, over any installed
consumer="-consumer avformat:$tmp/null f=null vcodec=rawvideo pix_fmt=yuv422p mlt_image_format=yuv422 an=1 real_time=-1"
without="melt -quiet -profile atsc_1080p_25 $clip $consumer"
for rect in "35% 35% 30% 30%" "0% 0% 100% 100%"; do
  echo "== melt in Y'CbCr: -filter zorvane rect=\"$rect\" (A) against without (B)"
  MLT_REPOSITORY=$mlt farm-bench -n "$runs" --timeout 1800 --vs "$without" -- \
    melt -quiet -profile atsc_1080p_25 "$clip" -filter zorvane rect="$rect" red=60 green=30 blue=80 $consumer
done
