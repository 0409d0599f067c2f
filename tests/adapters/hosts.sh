#!/usr/bin/env bash
# The filters inside the real hosts, installed as a user would: every byte of
# ffmpeg's, melt's and gst-launch's output against `zorvane render` of the
# same configuration, on a small lossless clip with varying alpha and an odd
# width.  Usage: hosts.sh BUILD_DIR STORE_CONFIG_TOOL
set -euo pipefail
build=$1 store=$2
tmp=$(mktemp -d)
trap '[ -n "${KEEP:-}" ] || rm -rf "$tmp"' EXIT
p=$tmp/prefix
cmake --install "$build" --prefix "$p" >/dev/null
export XDG_CONFIG_HOME=$tmp/config FREI0R_PATH=$p/lib/frei0r-1 GST_REGISTRY=$tmp/gst-registry.bin
mkdir -p "$XDG_CONFIG_HOME"
zorvane=$p/bin/zorvane
fail() { echo "FAIL: $*" >&2; exit 1; }

# The filters take nothing heavier than the C++ runtime (and MLT) with them.
for so in "$p/lib/frei0r-1/zorvane.so" "$p/lib/mlt-7/libmltzorvane.so"; do
  ! ldd "$so" | grep -Ei 'sdl|freetype|avcodec|avformat|avutil|swscale|pugixml|gtk|qt' ||
    fail "$so pulls in a library it must not"
done

# Hosts are not built with the sanitizers; a sanitized filter needs their runtime first.
host=()
if [[ $(ldd "$p/lib/frei0r-1/zorvane.so") == *libasan* ]]; then
  host=(env "LD_PRELOAD=$(gcc -print-file-name=libasan.so) $(gcc -print-file-name=libubsan.so)"
        "ASAN_OPTIONS=detect_leaks=0:abort_on_error=1")
fi

# ffmpeg hands frei0r filters rows padded to 64 bytes, which the interface has
# no way to say: its clip is 64 pixels wide, the others' an odd 67.
clip() {
  ffmpeg -v error -f lavfi -i "testsrc2=s=$2:r=10:d=2,format=rgba,geq=r='r(X,Y)':g='g(X,Y)':b='b(X,Y)':a='mod(X*5+Y*3+N*13,256)'" \
    -c:v ffv1 "$1"
}
clip=$tmp/clip.mkv ffclip=$tmp/ffclip.mkv
clip "$clip" 67x45
clip "$ffclip" 64x45
rgba() { ffmpeg -v error -i "$1" -f rawvideo -pix_fmt rgba -y "$2"; }
# zorvane render of the stored configuration, as RGBA bytes: render ARGS... OUT
render() {
  local out=${*: -1}
  "$zorvane" render "${@:1:$#-1}" -o "$tmp/ref.nut" --vcodec rawvideo --quiet
  rgba "$tmp/ref.nut" "$out"
}
same() { cmp -s "$1" "$2" || fail "$3: bytes differ from zorvane render"; echo "ok: $3"; }

# frei0r in ffmpeg: the filter's defaults are the stored configuration.
"$store" 0.1 0.6 0.2 0.9 30 60 90
render "$ffclip" "$tmp/ffstored.rgba"
"${host[@]}" ffmpeg -v error -i "$ffclip" -vf frei0r=zorvane -f rawvideo -pix_fmt rgba -y "$tmp/ff.rgba"
same "$tmp/ffstored.rgba" "$tmp/ff.rgba" "ffmpeg frei0r, stored defaults"
render "$clip" "$tmp/stored.rgba"

# GStreamer's frei0r bridge takes the same defaults.
"${host[@]}" gst-launch-1.0 -q filesrc location="$clip" ! matroskademux ! avdec_ffv1 ! videoconvert ! \
  frei0r-filter-zorvane ! videoconvert ! video/x-raw,format=RGBA ! filesink location="$tmp/gst.rgba" >/dev/null
same "$tmp/stored.rgba" "$tmp/gst.rgba" "gst-launch frei0r-filter-zorvane"

# Explicit parameters, beyond the frame on the right and bottom.
"$store" 0.25 1.5 -0.5 0.5 100 0 40
render "$ffclip" "$tmp/set.rgba"
"$store" 0 1 0 1 50 50 50
"${host[@]}" ffmpeg -v error -i "$ffclip" -vf "frei0r=zorvane:0.25|1.5|-0.5|0.5|1|0|0.4" -f rawvideo -pix_fmt rgba \
  -y "$tmp/ff2.rgba"
same "$tmp/set.rgba" "$tmp/ff2.rgba" "ffmpeg frei0r, parameters"

# melt: a profile of the clip's own size; RGBA out, so nothing is converted.
mlt=$tmp/mlt
mkdir "$mlt"
for m in core avformat frei0r; do ln -s "$(pkg-config --variable=moduledir mlt-framework-7)/libmlt$m.so" "$mlt/"; done
ln -s "$p/lib/mlt-7/libmltzorvane.so" "$p/lib/mlt-7/zorvane" "$mlt/"
printf '%s\n' description=clip width=67 height=45 progressive=1 sample_aspect_num=1 sample_aspect_den=1 \
  display_aspect_num=67 display_aspect_den=45 frame_rate_num=10 frame_rate_den=1 colorspace=709 >"$tmp/profile"
melt() {
  local out=$1; shift
  "${host[@]}" env MLT_REPOSITORY="$mlt" melt -quiet -profile "$tmp/profile" "$@" \
    -consumer avformat:"$tmp/melt.nut" vcodec=rawvideo pix_fmt=rgba mlt_image_format=rgba real_time=-2 an=1 \
    </dev/null >/dev/null 2>"$tmp/melt.log" || { cat "$tmp/melt.log" >&2; fail "melt $*"; }
  rgba "$tmp/melt.nut" "$out"
}
query=$("${host[@]}" env MLT_REPOSITORY="$mlt" melt -query filter=zorvane 2>/dev/null </dev/null)
[[ $query == *"identifier: rect"* ]] || fail "melt -query filter=zorvane does not describe the filter"

# MLT's decoder does not give FFV1's RGB back exactly; zorvane renders the
# frames as MLT decodes them, taken losslessly from melt without a filter.
melt "$tmp/decoded.rgba" "$clip"
cp "$tmp/melt.nut" "$tmp/decoded.nut"

"$store" 0.1 0.6 0.2 0.9 30 60 90
render "$tmp/decoded.nut" "$tmp/stored.rgba"
melt "$tmp/m1.rgba" "$clip" -filter frei0r.zorvane
same "$tmp/stored.rgba" "$tmp/m1.rgba" "melt frei0r.zorvane"

render "$tmp/decoded.nut" --fade-in 6 --fade-out 5 "$tmp/fades.rgba"
melt "$tmp/m2.rgba" "$clip" -filter zorvane fade_in=6 fade_out=5
same "$tmp/fades.rgba" "$tmp/m2.rgba" "melt zorvane with fades, two rendering threads"

render "$tmp/decoded.nut" --start 5 --frames 12 --fade-in 4 --fade-out 3 "$tmp/cut.rgba"
melt "$tmp/m3.rgba" "$clip" in=5 out=16 -filter zorvane fade_in=4 fade_out=3
same "$tmp/cut.rgba" "$tmp/m3.rgba" "melt zorvane over in/out points mid-clip"

# Two filters in one chain keep their own rectangles and floors; the second
# equals a second render over the first's lossless output.
"$store" 0 0.5 0 0.5 100 0 0
"$zorvane" render "$tmp/decoded.nut" -o "$tmp/first.nut" --vcodec rawvideo --quiet
"$store" 0.25 1 0.5 1 0 0 100
render "$tmp/first.nut" "$tmp/two.rgba"
"$store" 0 1 0 1 0 0 0
melt "$tmp/m4.rgba" "$clip" -filter zorvane rect="0% 0% 50% 50%" red=100 green=0 blue=0 \
  -filter zorvane rect="16.75 22.5 50.25 22.5" red=0 green=0 blue=100
same "$tmp/two.rgba" "$tmp/m4.rgba" "melt, two zorvane filters in one chain"
