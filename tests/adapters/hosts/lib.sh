# What every host case shares: an installed copy of the build, the stored
# configuration in a private folder, generated lossless clips and the
# `zorvane render` each host's output is compared with, byte for byte.
# A case script sources this with BUILD_DIR STORE_CONFIG_TOOL as its arguments,
# says which host programs it needs (`needs ffmpeg melt`), then compares. The
# install tests source it with BUILD_DIR alone.
set -euo pipefail
# Each command as it runs, so a case stopped by CTest's timeout shows where it stood.
PS4='+ ${BASH_SOURCE##*/}:$LINENO: '
set -x
build=$1 store=${2:-}
tmp=$(mktemp -d)
trap '[ -n "${KEEP:-}" ] || rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# CTest counts exit status 77 as skipped; the line says which program is missing.
needs() {
  local prog
  for prog; do
    command -v "$prog" >/dev/null || { echo "SKIP: $prog is not installed"; exit 77; }
  done
}


p=$tmp/prefix
cmake --install "$build" --prefix "$p" >/dev/null
export XDG_CONFIG_HOME=$tmp/config FREI0R_PATH=$p/lib/frei0r-1 GST_REGISTRY=$tmp/gst-registry.bin
mkdir -p "$XDG_CONFIG_HOME"
zorvane=$p/bin/zorvane

# Hosts are not built with the sanitizers; a sanitized filter needs their runtime first.
host=()
if [[ $(ldd "$p/lib/frei0r-1/zorvane.so") == *libasan* ]]; then
  host=(env "LD_PRELOAD=$(gcc -print-file-name=libasan.so) $(gcc -print-file-name=libubsan.so)"
        "ASAN_OPTIONS=detect_leaks=0:abort_on_error=1")
fi

# clip FILE WxH [RATE FRAMES [opaque]]: a lossless clip, 20 frames at 10 a
# second unless told, alpha varying over space and time unless opaque.
clip() {
  local alpha=",geq=r='r(X,Y)':g='g(X,Y)':b='b(X,Y)':a='mod(X*5+Y*3+N*13,256)'"
  [ -z "${5:-}" ] || alpha=
  ffmpeg -nostdin -v error -f lavfi -i "testsrc2=s=$2:r=${3:-10},trim=end_frame=${4:-20},format=rgba$alpha" -c:v ffv1 -y "$1"
}
# zorvane render of the stored configuration, as RGBA bytes: render ARGS... OUT
render() {
  local out=${*: -1}
  "$zorvane" render "${@:1:$#-1}" -o "$tmp/ref.nut" --vcodec rawvideo --quiet </dev/null
  ffmpeg -nostdin -v error -i "$tmp/ref.nut" -f rawvideo -pix_fmt rgba -y "$out"
}
same() { cmp -s "$1" "$2" || fail "$3: bytes differ from zorvane render"; echo "ok: $3"; }

# melt with a module folder holding MLT's core, avformat and frei0r modules and
# ours, on a profile of the clip's own size; RGBA out, so nothing is converted.
# melt_setup once (melt_clip does), then: melt OUT.rgba ARGS... (raw frames of
# another kind with melt_pix and melt_format naming the consumer's pix_fmt and
# MLT's image format).
melt_setup() {
  needs melt pkg-config
  mlt=$tmp/mlt
  mkdir "$mlt"
  for m in core avformat frei0r xml; do ln -s "$(pkg-config --variable=moduledir mlt-framework-7)/libmlt$m.so" "$mlt/"; done
  ln -s "$p/lib/mlt-7/libmltzorvane.so" "$p/lib/mlt-7/zorvane" "$mlt/"
}
# profile W H FPS [COLOURSPACE]: the profile melt renders with from now on.
profile() {
  printf '%s\n' description=clip width=$1 height=$2 progressive=1 sample_aspect_num=1 sample_aspect_den=1 \
    display_aspect_num=$1 display_aspect_den=$2 frame_rate_num=$3 frame_rate_den=1 colorspace=${4:-709} >"$tmp/profile"
}
melt() {
  local out=$1 pix=${melt_pix:-rgba}; shift
  local status=0
  # A run takes seconds; one that hangs is named rather than left to CTest's timeout.
  "${host[@]}" timeout 120 env MLT_REPOSITORY="$mlt" melt -quiet -profile "$tmp/profile" "$@" \
    -consumer avformat:"$tmp/melt.nut" vcodec=rawvideo pix_fmt="$pix" mlt_image_format="${melt_format:-rgba}" \
    real_time=-2 an=1 </dev/null >/dev/null 2>"$tmp/melt.log" || status=$?
  [ $status = 124 ] && fail "melt $*: no end after 120 s"
  [ $status = 0 ] || { cat "$tmp/melt.log" >&2; fail "melt $*"; }
  ffmpeg -nostdin -v error -i "$tmp/melt.nut" -f rawvideo -pix_fmt "$pix" -y "$out"
}
# melt_clip W H RATE FRAMES [opaque]: clip in $clip, the profile set to it.
# MLT's decoder does not give FFV1's RGB back exactly; zorvane renders the
# frames as MLT decodes them, taken losslessly from melt without a filter:
# in $decoded and $tmp/decoded.rgba. The melt cases' clip is 66 pixels wide:
# melt 7.12 itself, with no filter at all, gives the last two pixels of a
# frame of odd width other colours from run to run (see the README).
melt_clip() {
  [ -n "${mlt:-}" ] || melt_setup
  clip=$tmp/clip.mkv decoded=$tmp/decoded.nut frame=$(($1 * $2 * 4))
  clip "$clip" "$1x$2" "$3" "$4" "${5:-}"
  profile "$1" "$2" "$3"
  melt "$tmp/decoded.rgba" "$clip"
  cp "$tmp/melt.nut" "$decoded"
}
# frames FILE FIRST COUNT: COUNT frames of a raw RGBA file from FIRST on.
frames() { dd if="$1" bs="$frame" skip="$2" count="$3" status=none; }
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
# filt FADE_IN FADE_OUT [ATTRIBUTES [PROPERTIES]]: the filter element as the editors write it.
filt() {
  echo "<filter ${3:-}><property name=\"mlt_service\">zorvane</property><property name=\"fade_in\">$1</property>"\
"<property name=\"fade_out\">$2</property>${4:-}</filter>"
}
