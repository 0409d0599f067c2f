#!/usr/bin/env bash
# The README's GNU parallel recipes as written, on small clips: many clips at
# once, and one clip in parts on this machine joined into exactly the single
# render. Usage: recipes.sh BIN_DIR
set -euo pipefail
bin=$(cd "$1" && pwd)
export PATH="$bin:$PATH"
work=$(mktemp -d /tmp/zorvane-recipes-XXXXXX)
trap 'rm -rf "$work"' EXIT
cd "$work"
export XDG_CONFIG_HOME="$work/prefs" HOME="$work"
mkdir -p prefs out
q() { ffmpeg -nostdin -loglevel error -y "$@"; }

for n in a b; do
  q -f lavfi -i testsrc2=s=96x64:r=25:d=2 -f lavfi -i sine=f=330:r=44100:d=2 -c:v ffv1 -c:a pcm_s16le "$n.mov"
done

# Many clips at once.
parallel --will-cite zorvane render {} -o out/{/.}.mp4 --quiet ::: *.mov
for n in a b; do
  [ "$(ffprobe -v error -count_frames -select_streams v -show_entries stream=nb_read_frames -of csv=p=0 "out/$n.mp4")" = 50 ]
done

# One clip on this machine, in four parts, then joined.
parallel --will-cite -j 2 zorvane render a.mov --part {}/4 -o part{}.mkv --vcodec ffv1 --fade-in 20 --fade-out 20 \
  --quiet ::: $(seq 4)
zorvane join part*.mkv -o joined.mkv --quiet
zorvane render a.mov -o single.mkv --vcodec ffv1 --fade-in 20 --fade-out 20 --quiet
q -i joined.mkv -f framemd5 joined.md5
q -i single.mkv -f framemd5 single.md5
grep -q '^1,' single.md5  # the sound is compared too
cmp joined.md5 single.md5
echo "recipes: many clips and four joined parts match"
