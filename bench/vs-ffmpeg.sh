#!/usr/bin/env bash
# zorvane render against the ffmpeg command line doing the same work.
#
# Makes a 1920x1080 lossless clip with non-opaque pixels, renders it with the
# plug-in's default configuration (whole frame, every channel raised to at
# least 127) and a fade in and out, and the same with an ffmpeg filter graph,
# both to the same encoder. Prints the median time of several runs of each and
# their ratio, for rawvideo in .nut (the effect's own cost shows) and libx264,
# plus the effect alone without fades. Checks the lossless outputs agree.
#
#   bench/vs-ffmpeg.sh [path/to/zorvane]     (RUNS=3 SECONDS_OF_CLIP=10 by default)
set -euo pipefail

ZORVANE=${1:-build/release/bin/zorvane}
RUNS=${RUNS:-3}
CLIP_SECONDS=${SECONDS_OF_CLIP:-10}
W=1920 H=1080 RATE=30 FLOOR=127 FADE_IN=30 FADE_OUT=30
TOTAL=$((CLIP_SECONDS * RATE))

[ -x "$ZORVANE" ] || { echo "vs-ffmpeg: no zorvane program at $ZORVANE" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/prefs"  # the default configuration, whatever the user stored
mkdir -p "$XDG_CONFIG_HOME"

echo "making a ${CLIP_SECONDS} s ${W}x${H} ARGB clip ($TOTAL frames)..." >&2
ffmpeg -nostdin -loglevel error -y -filter_complex \
  "testsrc2=s=${W}x${H}:r=${RATE}:d=${CLIP_SECONDS}[c];testsrc=s=${W}x${H}:r=${RATE}:d=${CLIP_SECONDS},format=gray[a];[c][a]alphamerge,format=argb" \
  -c:v rawvideo -pix_fmt argb "$work/in.nut"

# The effect: crop the rectangle, raise each channel, put it back. The whole
# frame here, so the rectangle is the frame.
EFFECT="crop=${W}:${H}:0:0,lutrgb=r='max(val,${FLOOR})':g='max(val,${FLOOR})':b='max(val,${FLOOR})'"
# Opacity of the clean frame during the fades; blend counts frames from 1.
OPACITY="if(lt(N-1,${FADE_IN}),floor(255*(1-(N-1)/${FADE_IN})),floor(255*(1-(${TOTAL}-(N-1))/${FADE_OUT})))"
EXACT_GRAPH="[0:v]format=argb,split[m][al];[al]alphaextract[alpha];\
[m]format=gbrp,split=3[base][work][clean];[work]${EFFECT}[fx];[base][fx]overlay=0:0:format=rgb[eff];\
[eff][clean]blend=all_expr='floor((B*${OPACITY}+A*(255-${OPACITY})+127)/255)':enable='lt(n,${FADE_IN})+gt(n,${TOTAL}-${FADE_OUT})'[bl];\
[bl]format=gbrap[bla];[bla][alpha]alphamerge,format=argb"
EFFECT_GRAPH="[0:v]split[base][work];[work]${EFFECT}[fx];[base][fx]overlay=0:0:format=rgb"

median() { sort -n | awk '{v[NR]=$1} END {print v[int((NR+1)/2)]}'; }

# time_runs OUTPUT COMMAND...: median wall time of RUNS runs.
time_runs() {
  local out=$1; shift
  for _ in $(seq "$RUNS"); do
    rm -f "$out"
    local t0 t1
    t0=$(date +%s.%N)
    "$@" >/dev/null 2>"$work/err" || { cat "$work/err" >&2; exit 1; }
    t1=$(date +%s.%N)
    echo "$t1 - $t0" | bc -l
  done | median
}

row() {  # NAME ZORVANE_SECONDS FFMPEG_SECONDS
  printf '%-28s zorvane %7.2f s (%6.1f fps)   ffmpeg %7.2f s (%6.1f fps)   ffmpeg/zorvane %5.1fx\n' \
    "$1" "$2" "$(echo "$TOTAL / $2" | bc -l)" "$3" "$(echo "$TOTAL / $3" | bc -l)" "$(echo "$3 / $2" | bc -l)"
}

ff() { ffmpeg -nostdin -loglevel error -y -i "$work/in.nut" "$@"; }
fades=(--fade-in "$FADE_IN" --fade-out "$FADE_OUT")

echo "timing, median of $RUNS runs..." >&2
z_raw=$(time_runs "$work/z.nut" "$ZORVANE" render "$work/in.nut" -o "$work/z.nut" --vcodec rawvideo "${fades[@]}" --quiet)
f_raw=$(time_runs "$work/f.nut" ff -filter_complex "$EXACT_GRAPH" -c:v rawvideo -pix_fmt argb "$work/f.nut")
z_fx=$(time_runs "$work/zfx.nut" "$ZORVANE" render "$work/in.nut" -o "$work/zfx.nut" --vcodec rawvideo --quiet)
f_fx=$(time_runs "$work/ffx.nut" ff -filter_complex "$EFFECT_GRAPH" -c:v rawvideo -pix_fmt argb "$work/ffx.nut")
z_264=$(time_runs "$work/z.mp4" "$ZORVANE" render "$work/in.nut" -o "$work/z.mp4" --vcodec libx264 "${fades[@]}" --quiet)
f_264=$(time_runs "$work/f.mp4" ff -filter_complex "$EXACT_GRAPH" -c:v libx264 -pix_fmt yuv420p "$work/f.mp4")

echo "$TOTAL frames of ${W}x${H}, fades of $FADE_IN and $FADE_OUT frames, $(nproc) cores"
row "rawvideo .nut, with fades" "$z_raw" "$f_raw"
row "rawvideo .nut, effect only" "$z_fx" "$f_fx"
row "libx264 .mp4, with fades" "$z_264" "$f_264"

# The lossless outputs must agree in red, green and blue (and we keep alpha).
sum() { ffmpeg -nostdin -loglevel error -i "$1" -f rawvideo -pix_fmt "$2" - | md5sum | cut -d' ' -f1; }
if [ "$(sum "$work/z.nut" gbrp)" = "$(sum "$work/f.nut" gbrp)" ]; then
  echo "lossless outputs: same red, green and blue in every frame"
else
  echo "lossless outputs DIFFER in red, green or blue" >&2
  exit 1
fi
alpha() { ffmpeg -nostdin -loglevel error -i "$1" -vf alphaextract -f rawvideo - | md5sum | cut -d' ' -f1; }
if [ "$(alpha "$work/z.nut")" = "$(alpha "$work/in.nut")" ]; then
  echo "zorvane kept every alpha byte of the input"
else
  echo "zorvane changed some alpha bytes" >&2
  exit 1
fi
