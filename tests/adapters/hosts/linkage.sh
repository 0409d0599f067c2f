#!/usr/bin/env bash
# The filters take nothing heavier than the C++ runtime (and MLT) with them.
source "$(dirname "$0")/lib.sh"
needs ldd
for so in "$p/lib/frei0r-1/zorvane.so" "$p/lib/mlt-7/libmltzorvane.so"; do
  ! ldd "$so" | grep -Ei 'sdl|freetype|avcodec|avformat|avutil|swscale|pugixml|gtk|qt' ||
    fail "$so pulls in a library it must not"
done
echo "ok: the filters link no toolkit or FFmpeg library"
