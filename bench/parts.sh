#!/usr/bin/env bash
# Two parts under GNU parallel against one render, and the cost of joining.
#
# Makes a 10-second 1920x1080 clip with sound, renders it to FFV1 (an encoder
# that does not spread itself over cores) once whole and once as two parts
# run side by side by GNU parallel, and times both in turn (bench/pairs.sh).
# Then times the join of the two parts, and checks that the joined clip equals
# the single render frame for frame, sound included.
#
#   bench/parts.sh [path/to/zorvane]     (RUNS=3 SECONDS_OF_CLIP=10 by default)
set -euo pipefail
source "$(dirname "$0")/pairs.sh"

ZORVANE=$(realpath "${1:-build/release/bin/zorvane}")
RUNS=${RUNS:-3}
CLIP_SECONDS=${SECONDS_OF_CLIP:-10}
[ -x "$ZORVANE" ] || { echo "parts: no zorvane program at $ZORVANE" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
export XDG_CONFIG_HOME="$work/prefs"
mkdir -p prefs

echo "making a ${CLIP_SECONDS} s 1920x1080 clip..." >&2
ffmpeg -nostdin -loglevel error -f lavfi -i "testsrc2=s=1920x1080:r=30:d=$CLIP_SECONDS" \
  -f lavfi -i "sine=f=440:r=48000:d=$CLIP_SECONDS" -c:v ffv1 -c:a pcm_s16le in.mkv

single="$ZORVANE render in.mkv -o single.mkv --vcodec ffv1 --fade-in 30 --fade-out 30 --quiet"
parts="parallel --will-cite -j 2 $ZORVANE render in.mkv --part {}/2 -o part{}.mkv --vcodec ffv1 \
  --fade-in 30 --fade-out 30 --quiet ::: 1 2"
export RUNS
pair "two parts under GNU parallel (A) against one render (B)" "$parts" "$single"

# The join against a plain copy of the same bytes, for scale.
pair "join of the two parts (A) against cat of them (B)" \
  "$ZORVANE join part1.mkv part2.mkv -o joined.mkv --quiet" "cat part1.mkv part2.mkv >/dev/null"

sums() { ffmpeg -nostdin -loglevel error -i "$1" -f framemd5 -; }
cmp <(sums joined.mkv) <(sums single.mkv) && echo "joined clip equals the single render" >&2
