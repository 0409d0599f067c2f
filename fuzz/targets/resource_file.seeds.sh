#!/usr/bin/env bash
# Seeds for the resource file parser: the bundle's string lists as the
# compiler writes them, an empty file, and a file with names and two types.
# Usage: resource_file.seeds.sh CORPUS_DIR WORK_DIR
set -euo pipefail
corpus=$1 work=$2
root=$(cd "$(dirname "$0")/../.." && pwd)
platform=$root/platform

clang++-14 -std=c++20 -O1 -I"$platform/include" -I"$platform" -I"$root/tools/rezc" \
  "$root/tools/rezc/main.cpp" "$root/tools/rezc/rez_source.cpp" "$platform/resources/resource_file_format.cpp" \
  "$platform/text/mac_roman.cpp" "$platform/files/file_io.cpp" -o "$work/zorvane-rezc"

"$work/zorvane-rezc" "$root/plugin/resources/zorvane.r" "$corpus/bundle-strings.rsrc"
printf '' > "$work/empty.r"
"$work/zorvane-rezc" "$work/empty.r" "$corpus/empty.rsrc"
cat > "$work/named.r" <<'SOURCE'
resource 'STR#' (1, "one") { "a", "\xA5" };
resource 'STR#' (-2) { };
resource 'STR#' (32767, "") { "" "x" };
SOURCE
"$work/zorvane-rezc" "$work/named.r" "$corpus/named.rsrc"
