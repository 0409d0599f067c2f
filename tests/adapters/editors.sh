#!/usr/bin/env bash
# The native MLT filter as the editors save it, through the real melt: every
# byte against `zorvane render` of the same frames, or against the named
# pixels lifted by hand.  Usage: editors.sh BUILD_DIR STORE_CONFIG_TOOL CASE
#   timeline     Kdenlive-shaped documents: trimmed, cut, track, keyframes
#   pixel_rects  whole-pixel rectangles at several profile sizes
#   shotcut      Shotcut under Xvfb lists the filter, loads its panel with no
#                QML error, and saves a project that melt renders exactly
# Exits 77 when a host program is missing.
set -euo pipefail
build=$1 store=$2 case=$3
command -v melt >/dev/null || { echo "SKIP: melt is not installed"; exit 77; }
tmp=$(mktemp -d)
trap '[ -n "${KEEP:-}" ] || rm -rf "$tmp"' EXIT
p=$tmp/prefix
cmake --install "$build" --prefix "$p" >/dev/null
export XDG_CONFIG_HOME=$tmp/config
mkdir -p "$XDG_CONFIG_HOME"
zorvane=$p/bin/zorvane
fail() { echo "FAIL: $*" >&2; exit 1; }
host=()
if [[ $(ldd "$p/lib/mlt-7/libmltzorvane.so") == *libasan* ]]; then
  host=(env "LD_PRELOAD=$(gcc -print-file-name=libasan.so) $(gcc -print-file-name=libubsan.so)"
        "ASAN_OPTIONS=detect_leaks=0:abort_on_error=1")
fi
mlt=$tmp/mlt
mkdir "$mlt"
for m in core avformat xml; do ln -s "$(pkg-config --variable=moduledir mlt-framework-7)/libmlt$m.so" "$mlt/"; done
ln -s "$p/lib/mlt-7/libmltzorvane.so" "$p/lib/mlt-7/zorvane" "$mlt/"
rgba() { ffmpeg -nostdin -v error -i "$1" -f rawvideo -pix_fmt rgba -y "$2"; }
# melt OUT.rgba W H ARGS...: RGBA out of a W x H profile at 25 frames a second.
melt() {
  local out=$1 w=$2 h=$3; shift 3
  printf '%s\n' description=t width=$w height=$h progressive=1 sample_aspect_num=1 sample_aspect_den=1 \
    display_aspect_num=$w display_aspect_den=$h frame_rate_num=25 frame_rate_den=1 colorspace=709 >"$tmp/profile"
  "${host[@]}" env MLT_REPOSITORY="$mlt" melt -quiet -profile "$tmp/profile" "$@" \
    -consumer avformat:"$tmp/melt.nut" vcodec=rawvideo pix_fmt=rgba mlt_image_format=rgba real_time=-2 an=1 \
    </dev/null >/dev/null 2>"$tmp/melt.log" || { cat "$tmp/melt.log" >&2; fail "melt $*"; }
  rgba "$tmp/melt.nut" "$out"
}
# clip W H FRAMES [opaque]: a lossless clip with varying alpha, and its frames
# as MLT decodes them (not FFV1's own RGB), which every reference starts from.
clip() {
  local alpha=",geq=r='r(X,Y)':g='g(X,Y)':b='b(X,Y)':a='mod(X*5+Y*3+N*13,256)'"
  [ -z "${4:-}" ] || alpha=
  ffmpeg -nostdin -v error -f lavfi -i "testsrc2=s=$1x$2:r=25,trim=end_frame=$3,format=rgba$alpha" -c:v ffv1 -y "$tmp/clip.mkv"
  melt "$tmp/decoded.rgba" "$1" "$2" "$tmp/clip.mkv"
  cp "$tmp/melt.nut" "$tmp/decoded.nut"
  frame=$(($1 * $2 * 4))
}
# frames FROM FIRST COUNT: COUNT frames of a raw RGBA file from FIRST on.
frames() { dd if="$1" bs="$frame" skip="$2" count="$3" status=none; }
same() { cmp -s "$1" "$2" || fail "$3: bytes differ"; echo "ok: $3"; }
# lift OUT W H FIRST RECT...: decoded frames FIRST.. with only the rectangle
# "x y w h" (one a frame) taken from the whole-frame render in $tmp/all.rgba.
lift() {
  python3 - "$@" "$tmp/decoded.rgba" "$tmp/all.rgba" <<'PY'
import sys
out, w, h, first, *rects, plain, lifted = sys.argv[1:]
w, h, first, size = int(w), int(h), int(first), int(w) * int(h) * 4
plain, lifted = open(plain, 'rb').read(), open(lifted, 'rb').read()
res = bytearray()
for i, r in enumerate(rects):
    x, y, rw, rh = map(int, r.split())
    at = (first + i) * size
    f = bytearray(plain[at:at + size])
    for row in range(max(y, 0), min(y + rh, h)):
        a, b = (row * w + max(x, 0)) * 4, (row * w + min(x + rw, w)) * 4
        if a < b: f[a:b] = lifted[at + a:at + b]
    res += f
open(out, 'wb').write(res)
PY
}
zv='<property name="mlt_service">zorvane</property>'
# filt FADE_IN FADE_OUT [ATTRIBUTES [PROPERTIES]]: a filter element as Kdenlive writes it.
filt() {
  echo "<filter ${3:-}>$zv<property name=\"fade_in\">$1</property><property name=\"fade_out\">$2</property>${4:-}</filter>"
}
doc() { echo "<mlt><producer id=\"c\"><property name=\"resource\">$tmp/clip.mkv</property></producer>$*</mlt>" >"$tmp/doc.mlt"; }

case $case in
timeline)
  clip 64 45 50
  "$store" 0.1 0.6 0.2 0.9 30 60 90
  # name | the timeline after the producer | the frames expected, one piece a
  # line: FIRST COUNT of `zorvane render ARGS` (no ARGS: the untouched clip)
  while IFS='|' read -r name body pieces; do
    doc "$body"
    melt "$tmp/got.rgba" 64 45 "$tmp/doc.mlt"
    : >"$tmp/want.rgba"
    while read -r first count args; do
      if [ -n "$args" ]; then
        "$zorvane" render "$tmp/decoded.nut" $args -o "$tmp/ref.nut" --vcodec rawvideo --quiet </dev/null
        rgba "$tmp/ref.nut" "$tmp/ref.rgba"
        frames "$tmp/ref.rgba" "$first" "$count" >>"$tmp/want.rgba"
      else
        frames "$tmp/decoded.rgba" "$first" "$count" >>"$tmp/want.rgba"
      fi
    done <<<"${pieces//;/$'\n'}"
    same "$tmp/want.rgba" "$tmp/got.rgba" "$name"
  done <<EOF
trimmed clip|<playlist><entry producer="c" in="10" out="38">$(filt 5 5)</entry></playlist>|0 29 --start 10 --frames 29 --fade-in 5 --fade-out 5
clip cut in two|<playlist><entry producer="c" in="0" out="19">$(filt 4 4)</entry><entry producer="c" in="20" out="49">$(filt 4 4)</entry></playlist>|0 20 --frames 20 --fade-in 4 --fade-out 4;0 30 --start 20 --frames 30 --fade-in 4 --fade-out 4
one frame shorter than the file|<playlist><entry producer="c" in="0" out="48">$(filt 0 6)</entry></playlist>|0 49 --frames 49 --fade-out 6
filter with its own in and out|<playlist><entry producer="c" in="10" out="38">$(filt 3 3 'in="15" out="30"')</entry></playlist>|10 5;0 16 --start 15 --frames 16 --fade-in 3 --fade-out 3;31 8
fades longer than the entry|<playlist><entry producer="c" in="10" out="19">$(filt 30 0)</entry><entry producer="c" in="20" out="28">$(filt 30 30)</entry></playlist>|0 10 --start 10 --frames 10 --fade-in 30;0 9 --start 20 --frames 9 --fade-in 30 --fade-out 30
Shotcut: the filter in the clip's chain, over the entry's in and out|<chain id="s" out="49"><property name="resource">$tmp/clip.mkv</property>$(filt 5 5 'in="10" out="38"')</chain><playlist><entry producer="s" in="10" out="38"/></playlist>|0 29 --start 10 --frames 29 --fade-in 5 --fade-out 5
track effect over two entries|<playlist id="p"><entry producer="c" in="5" out="19"/><entry producer="c" in="30" out="41"/></playlist><tractor id="t" in="0" out="26"><track producer="p"/>$(filt 4 4)</tractor>|0 15 --start 5 --frames 27 --fade-in 4 --fade-out 4;15 12 --start 15 --frames 27 --fade-in 4 --fade-out 4
EOF
  # Keyframes in Kdenlive's timecode form count from the entry's first frame:
  # the rectangle moves one column a frame, 37 frames (1.48 s) from column 0.
  "$store" 0 1 0 1 30 60 90
  "$zorvane" render "$tmp/decoded.nut" -o "$tmp/ref.nut" --vcodec rawvideo --quiet </dev/null
  rgba "$tmp/ref.nut" "$tmp/all.rgba"
  doc "<playlist><entry producer=\"c\" in=\"10\" out=\"48\">$(filt 0 0 '' \
    '<property name="rect">00:00:00.000=0 5 20 30;00:00:01.480=37 5 20 30</property><property name="red">30</property><property name="green">60</property><property name="blue">90</property>')</entry></playlist>"
  melt "$tmp/got.rgba" 64 45 "$tmp/doc.mlt"
  rects=()
  for k in $(seq 0 38); do rects+=("$((k < 37 ? k : 37)) 5 20 30"); done
  lift "$tmp/want.rgba" 64 45 10 "${rects[@]}"
  same "$tmp/want.rgba" "$tmp/got.rgba" "keyframes in timecode form on a trimmed clip"
  ;;
pixel_rects)
  # W H FRAMES | rect | the rectangle lifted in the first and the last frame
  while IFS='|' read -r size rect first last; do
    read -r w h n <<<"$size"
    clip "$w" "$h" "$n" opaque
    "$store" 0 1 0 1 30 60 90
    "$zorvane" render "$tmp/decoded.nut" -o "$tmp/ref.nut" --vcodec rawvideo --quiet </dev/null
    rgba "$tmp/ref.nut" "$tmp/all.rgba"
    melt "$tmp/got.rgba" "$w" "$h" "$tmp/clip.mkv" -filter zorvane rect="$rect" red=30 green=60 blue=90
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
  ;;
shotcut)
  for t in shotcut Xvfb xdotool dbus-run-session; do
    command -v $t >/dev/null || { echo "SKIP: $t is not installed"; exit 77; }
  done
  # Shotcut reads its filters from share/shotcut/qml beside its program: a
  # copy of the program in a tree of links that adds the installed filter.
  sc=$tmp/shotcut
  mkdir -p "$sc/bin" "$sc/share/shotcut/qml/filters" "$sc/home"
  cp "$(command -v shotcut)" "$sc/bin/"
  for d in /usr/share/shotcut/qml/*; do [ "${d##*/}" = filters ] || ln -s "$d" "$sc/share/shotcut/qml/"; done
  ln -s /usr/share/shotcut/qml/filters/* "$sc/share/shotcut/qml/filters/"
  ln -sfn "$p/share/shotcut/qml/filters/zorvane" "$sc/share/shotcut/qml/filters/"
  ln -s /usr/lib/x86_64-linux-gnu/mlt-7/* "$mlt/" 2>/dev/null || true
  clip 320 180 50 opaque
  cat >"$tmp/project.mlt" <<EOF
<mlt LC_NUMERIC="C" producer="main_bin"><profile description="t" width="320" height="180" progressive="1"
 sample_aspect_num="1" sample_aspect_den="1" display_aspect_num="16" display_aspect_den="9" frame_rate_num="25"
 frame_rate_den="1" colorspace="709"/><playlist id="main_bin"><property name="xml_retain">1</property></playlist>
<producer id="black" in="00:00:00.000" out="00:00:01.960"><property name="length">00:00:02.000</property>
<property name="resource">0</property><property name="mlt_service">color</property></producer>
<playlist id="background"><entry producer="black" in="00:00:00.000" out="00:00:01.960"/></playlist>
<chain id="s" out="00:00:01.960"><property name="length">00:00:02.000</property>
<property name="resource">$tmp/clip.mkv</property><property name="mlt_service">avformat-novalidate</property>
$(filt 5 5 'in="00:00:00.400" out="00:00:01.520"' '<property name="shotcut:filter">zorvane</property><property name="rect">80 45 160 90 1</property><property name="red">30</property><property name="green">60</property><property name="blue">90</property>')
</chain><playlist id="v1"><property name="shotcut:video">1</property><property name="shotcut:name">V1</property>
<entry producer="s" in="00:00:00.400" out="00:00:01.520"/></playlist>
<tractor id="t" in="00:00:00.000" out="00:00:01.960"><property name="shotcut">1</property><track producer="background"/>
<track producer="v1"/></tractor></mlt>
EOF
  Xvfb -displayfd 3 -screen 0 1600x1000x24 3>"$tmp/display" >/dev/null 2>&1 &
  xvfb=$!
  trap 'kill $xvfb 2>/dev/null; [ -n "${KEEP:-}" ] || rm -rf "$tmp"' EXIT
  for _ in $(seq 50); do [ -s "$tmp/display" ] && break; sleep 0.2; done
  export DISPLAY=:$(cat "$tmp/display") HOME=$sc/home QT_QPA_PLATFORM=xcb
  log=$HOME/.local/share/Meltytech/Shotcut/shotcut-log.txt
  MLT_REPOSITORY=$mlt dbus-run-session -- "$sc/bin/shotcut" "$tmp/project.mlt" >"$tmp/shotcut.out" 2>&1 &
  shotcut=$!
  for _ in $(seq 120); do grep -q 'added filter "Zorvane"' "$log" 2>/dev/null && break; sleep 0.5; done
  grep -q 'added filter "Zorvane"' "$log" 2>/dev/null || fail "Shotcut does not list the filter"
  echo "ok: Shotcut lists Zorvane"
  # The default layout at this screen size: the clip on track V1, then the
  # Filters tab, which opens the clip's filter panel; then File > Save.
  sleep 15
  xdotool mousemove 155 545 click 1 sleep 2 mousemove 103 396 click 1 sleep 5 key ctrl+s sleep 3
  [ -z "${KEEP:-}" ] || import -window root "$tmp/shotcut.png"
  kill $shotcut 2>/dev/null; wait $shotcut 2>/dev/null || true
  # Shotcut logs errors in loading the files; the panel's own script errors
  # reach no log (a picture of the screen is kept with KEEP=1).
  ! grep -iE 'zorvane/[a-z_]*\.qml' "$log" || fail "QML errors in Shotcut's log"
  grep -q 'shotcut:projectAudioChannels' "$tmp/project.mlt" || fail "Shotcut did not save the project"
  grep -q '<property name="rect">80 45 160 90' "$tmp/project.mlt" || fail "Shotcut lost the rectangle"
  echo "ok: Shotcut loads the panel and saves the project"
  "$store" 0.25 0.75 0.25 0.75 30 60 90
  "$zorvane" render "$tmp/decoded.nut" --start 10 --frames 29 --fade-in 5 --fade-out 5 -o "$tmp/ref.nut" \
    --vcodec rawvideo --quiet </dev/null
  rgba "$tmp/ref.nut" "$tmp/want.rgba"
  melt "$tmp/got.rgba" 320 180 "$tmp/project.mlt"
  same "$tmp/want.rgba" "$tmp/got.rgba" "the project Shotcut saved, through melt"
  ;;
esac
