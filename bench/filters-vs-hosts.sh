#!/usr/bin/env bash
# The filters' cost inside their hosts, on a 10-second 1080p H.264 clip:
#   ffmpeg -vf frei0r=zorvane against ffmpeg -vf format=rgba (the conversion every
#   frei0r host pays anyway), both decoding to -f null;
#   melt with the zorvane filter against melt without it, both to a null muxer.
# A and B in turn (bench/pairs.sh); quote the median ratios.
# Usage: RUNS=5 bench/filters-vs-hosts.sh [BUILD_DIR]   (a Release build)
set -euo pipefail
source "$(dirname "$0")/pairs.sh"
build=$(realpath "${1:-build/release}")
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

clip=$tmp/clip.mp4
ffmpeg -v error -f lavfi -i "testsrc2=s=1920x1080:r=25:d=10" -c:v libx264 -preset veryfast -pix_fmt yuv420p "$clip"

echo "$(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg)"
export FREI0R_PATH=$build/lib/frei0r-1
pair "ffmpeg: frei0r=zorvane (A) against format=rgba (B)" \
  "ffmpeg -v error -i $clip -vf 'frei0r=zorvane:0.1|0.9|0.1|0.9|0.5|0.5|0.5' -f null -" \
  "ffmpeg -v error -i $clip -vf format=rgba -f null -"

# MLT_REPOSITORY names one folder: the system's modules and ours, as links.
mlt=$tmp/mlt
mkdir "$mlt"
ln -s "$(pkg-config --variable=moduledir mlt-framework-7)"/* "$mlt/"
ln -s "$build/lib/mlt-7/libmltzorvane.so" "$build/lib/mlt-7/zorvane" "$mlt/"
consumer="-consumer avformat:$tmp/null f=null vcodec=rawvideo pix_fmt=rgba mlt_image_format=rgba an=1 real_time=-1"
export MLT_REPOSITORY=$mlt
pair "melt: with -filter zorvane (A) against without (B)" \
  "melt -quiet -profile atsc_1080p_25 $clip -filter zorvane rect='10% 10% 80% 80%' $consumer" \
  "melt -quiet -profile atsc_1080p_25 $clip $consumer"
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
