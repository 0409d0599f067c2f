#!/usr/bin/env bash
# Per-frame checksums (ffmpeg's framemd5) of generated lossless clips through
# zorvane and the filters, compared with this folder's CASE.framemd5.
# ZORVANE_REF_UPDATE=1 writes the file instead (the update-refs target).
# Usage: run.sh BUILD_DIR STORE_CONFIG_TOOL CASE
ref=$(cd "$(dirname "$0")" && pwd)/$3.framemd5
source "$(dirname "$0")/../adapters/hosts/lib.sh"
needs ffmpeg
case=$3 out=$tmp/out

"$store" 0.1 0.7 0.2 0.9 30 60 90
# Three seconds at 10 frames per second with sound; alpha varies in space and time.
in=$tmp/in.mkv
ffmpeg -v error -f lavfi -i "testsrc2=s=64x48:r=10:d=3,format=rgba,geq=r='r(X,Y)':g='g(X,Y)':b='b(X,Y)':a='mod(X*7+Y*3+N*11,256)'" \
  -f lavfi -i sine=f=440:r=48000:d=3 -c:v ffv1 -c:a pcm_s16le "$in"
z() { "$zorvane" render "$in" --quiet "$@"; }
case $case in
  plain) z -o "$out.nut" --vcodec rawvideo ;;
  fades) z -o "$out.nut" --vcodec rawvideo --fade-in 8 --fade-out 7 ;;
  # At the clip's own size: scaling with the proxy's fast scaler differs between processors.
  proxy) z -o "$out.nut" --vcodec rawvideo --proxy --start 3 --frames 20 ;;
  size) z -o "$out.nut" --vcodec rawvideo --size 40x30 --fade-out 5 ;;
  thumbnail) "$zorvane" thumbnail "$in" --at 12 -o "$out.png" --quiet ;;
  # No input: the picture of a demo frame before and after the effect, beside the output.
  demo)
    "$zorvane" render --frames 20 --size 180x120 -o "$tmp/demo.nut" --vcodec rawvideo --quiet
    mv "$tmp/demo-before-after.png" "$out.png" ;;
  part)
    for k in 1 2 3; do z -o "$tmp/p$k.mkv" --vcodec ffv1 --fade-in 12 --fade-out 12 --part $k/3; done
    "$zorvane" join "$tmp/p2.mkv" "$tmp/p3.mkv" "$tmp/p1.mkv" -o "$out.mkv" --quiet ;;
  frei0r)
    "${host[@]}" ffmpeg -v error -i "$in" -vf "frei0r=zorvane:0.25|0.75|0.5|1|0.2|0.8|0.45" -an \
      -c:v rawvideo -pix_fmt rgba "$out.nut" ;;
  melt)
    melt_clip 66 45 10 20
    melt "$tmp/m.rgba" "$clip" in=2 out=17 -filter zorvane rect="10% 20% 50% 60%" red=70 green=20 blue=40 \
      fade_in=5 fade_out=4
    cp "$tmp/melt.nut" "$out.nut" ;;
  *) fail "no case $case" ;;
esac
ffmpeg -v error -i "$out".* -f framemd5 "$tmp/sums"
if [ -n "${ZORVANE_REF_UPDATE:-}" ]; then
  cp "$tmp/sums" "$ref"
  echo "wrote $ref"
elif ! cmp -s "$ref" "$tmp/sums"; then
  diff "$ref" "$tmp/sums" | head -20 >&2 || true
  fail "$case: the frames differ from $ref (ZORVANE_REF_UPDATE=1 rewrites it once the change is meant)"
else
  echo "ok: $case matches $(basename "$ref")"
fi
