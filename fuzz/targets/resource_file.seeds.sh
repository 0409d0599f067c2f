#!/usr/bin/env bash
# Seeds for the resource file parser: the bundle's string lists as the
# compiler writes them, an empty file, a file with names and two types, and
# stored configurations of no, one and an odd number of bytes.
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

cat > "$work/prefs.cpp" <<'SOURCE'
#include "resources/resource_file_format.h"
#include <fstream>
int main(int, char **argv) {
  for (std::size_t size : {0, 1, 395}) {
    zv::rsrc::ResourceFile file;
    file.resources.push_back({ZV_FOURCC('P', 'r', 'e', 'f'), 1, "Config Settings", 0, std::vector<std::uint8_t>(size, 7)});
    std::vector<std::uint8_t> bytes;
    zv::rsrc::SerialiseResourceFile(file, bytes);
    std::ofstream(std::string(argv[1]) + "/pref-" + std::to_string(size) + ".rsrc", std::ios::binary)
        .write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
}
SOURCE
clang++-14 -std=c++20 -O1 -I"$platform/include" -I"$platform" "$work/prefs.cpp" \
  "$platform/resources/resource_file_format.cpp" -o "$work/zorvane-pref-seeds"
"$work/zorvane-pref-seeds" "$corpus"
