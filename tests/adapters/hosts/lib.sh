# What every host case shares: an installed copy of the build, the stored
# configuration in a private folder, generated lossless clips and the
# `zorvane render` each host's output is compared with, byte for byte.
# A case script sources this with BUILD_DIR STORE_CONFIG_TOOL as its arguments,
# says which host programs it needs (`needs ffmpeg melt`), then compares.
set -euo pipefail
build=$1 store=$2
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

# A 2-second clip at 10 frames per second, alpha varying over space and time: clip FILE WxH
clip() {
  ffmpeg -v error -f lavfi -i "testsrc2=s=$2:r=10:d=2,format=rgba,geq=r='r(X,Y)':g='g(X,Y)':b='b(X,Y)':a='mod(X*5+Y*3+N*13,256)'" \
    -c:v ffv1 "$1"
}
rgba() { ffmpeg -v error -i "$1" -f rawvideo -pix_fmt rgba -y "$2"; }
# zorvane render of the stored configuration, as RGBA bytes: render ARGS... OUT
render() {
  local out=${*: -1}
  "$zorvane" render "${@:1:$#-1}" -o "$tmp/ref.nut" --vcodec rawvideo --quiet
  rgba "$tmp/ref.nut" "$out"
}
same() { cmp -s "$1" "$2" || fail "$3: bytes differ from zorvane render"; echo "ok: $3"; }

# melt with a module folder holding MLT's core, avformat and frei0r modules and
# ours, on a profile of the clip's own size; RGBA out, so nothing is converted.
# melt_setup once, then: melt OUT.rgba ARGS...
# The clip is 66 pixels wide: melt 7.12 itself, with no filter at all, gives
# the last two pixels of a frame of odd width other colours from run to run
# (see the README).
melt_setup() {
  needs melt pkg-config
  mlt=$tmp/mlt
  mkdir "$mlt"
  for m in core avformat frei0r; do ln -s "$(pkg-config --variable=moduledir mlt-framework-7)/libmlt$m.so" "$mlt/"; done
  ln -s "$p/lib/mlt-7/libmltzorvane.so" "$p/lib/mlt-7/zorvane" "$mlt/"
  printf '%s\n' description=clip width=66 height=45 progressive=1 sample_aspect_num=1 sample_aspect_den=1 \
    display_aspect_num=66 display_aspect_den=45 frame_rate_num=10 frame_rate_den=1 colorspace=709 >"$tmp/profile"
}
melt() {
  local out=$1; shift
  "${host[@]}" env MLT_REPOSITORY="$mlt" melt -quiet -profile "$tmp/profile" "$@" \
    -consumer avformat:"$tmp/melt.nut" vcodec=rawvideo pix_fmt=rgba mlt_image_format=rgba real_time=-2 an=1 \
    </dev/null >/dev/null 2>"$tmp/melt.log" || { cat "$tmp/melt.log" >&2; fail "melt $*"; }
  rgba "$tmp/melt.nut" "$out"
}
# MLT's decoder does not give FFV1's RGB back exactly; zorvane renders the
# frames as MLT decodes them, taken losslessly from melt without a filter:
# the 66 x 45 clip in $clip, melt's decoding of it in $decoded.
melt_clip() {
  melt_setup
  clip=$tmp/clip.mkv decoded=$tmp/decoded.nut
  clip "$clip" 66x45
  melt "$tmp/decoded.rgba" "$clip"
  cp "$tmp/melt.nut" "$decoded"
}
