#!/usr/bin/env bash
# zorvane render against ffmpeg encoding the same pictures with the same encoder.
#
# Makes a 10-second 1920x1080 ARGB clip with varying alpha and renders it once
# to raw video with 30-frame fades: the pictures zorvane encodes. Then, A and B
# in turn (bench/pairs.sh):
#   zorvane render to FFV1 (ARGB kept)   against  ffmpeg -vf format=bgra -c:v ffv1 on those pictures
#   zorvane render to H.264 (libx264)    against  ffmpeg -vf format=yuv420p -c:v libx264 on those pictures
# Both read a file of the same size and encode the same pictures, so the ratio
# is what zorvane's road adds: the effect, the fades, the copies and
# conversions around them. (Against ffmpeg encoding the untouched clip the
# encoders see other pictures; libx264 works much harder on fading ones.)
# Checks that both FFV1 outputs hold the same frames.
#
#   RUNS=5 bench/render-vs-ffmpeg.sh [path/to/zorvane]     (SECONDS_OF_CLIP=10 by default)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/pairs.sh"
ZORVANE=$(realpath "${1:-build/release/bin/zorvane}")
CLIP_SECONDS=${SECONDS_OF_CLIP:-10}
W=1920 H=1080 RATE=30
[ -x "$ZORVANE" ] || { echo "render-vs-ffmpeg: no zorvane program at $ZORVANE" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/prefs"  # the default configuration, whatever the user stored
mkdir -p "$XDG_CONFIG_HOME"
cd "$work"

ffmpeg -nostdin -loglevel error -filter_complex \
  "testsrc2=s=${W}x${H}:r=${RATE}:d=${CLIP_SECONDS}[c];testsrc=s=${W}x${H}:r=${RATE}:d=${CLIP_SECONDS},format=gray[a];[c][a]alphamerge,format=argb" \
  -c:v rawvideo -pix_fmt argb in.nut
z="$ZORVANE render in.nut --fade-in 30 --fade-out 30 --quiet"
$z -o pictures.nut --vcodec rawvideo
ff="ffmpeg -nostdin -loglevel error -y -i pictures.nut"

echo "$((CLIP_SECONDS * RATE)) frames of ${W}x${H}, $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg)"
pair "FFV1: zorvane (A) against ffmpeg (B)" "$z -o z.mkv --vcodec ffv1" "$ff -vf format=bgra -c:v ffv1 f.mkv"
pair "H.264: zorvane (A) against ffmpeg (B)" "$z -o z.mp4 --vcodec libx264" "$ff -vf format=yuv420p -c:v libx264 f.mp4"
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"

sums() { ffmpeg -nostdin -loglevel error -i "$1" -f framemd5 - | grep -v '^#'; }
if [ "$(sums z.mkv)" = "$(sums f.mkv)" ]; then
  echo "FFV1 outputs: the same frames"
else
  echo "FFV1 outputs DIFFER" >&2
  exit 1
fi
