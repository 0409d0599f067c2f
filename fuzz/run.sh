#!/usr/bin/env bash
# Builds every fuzz target in fuzz/targets/ with clang's libFuzzer and the
# address and undefined-behaviour sanitizers, then runs them for SECONDS in
# all, shared evenly, so adding a target never lengthens the run.
#
#   fuzz/run.sh SECONDS [TARGET...]
#
# A target is fuzz/targets/<name>.cpp; the project sources it needs are named
# on a line "// fuzz-sources: a.cpp b.cpp" (paths from the project root), the
# pkg-config packages it links on a line "// fuzz-libs: a b", and an optional
# fuzz/targets/<name>.seeds.sh CORPUS WORK writes its first seeds.
# Builds land in build/fuzz/<name>/; a crash leaves its input there and fails
# the run.
set -euo pipefail

seconds=${1:?usage: fuzz/run.sh SECONDS [TARGET...]}
shift
root=$(cd "$(dirname "$0")/.." && pwd)
out=$root/build/fuzz
cxx=${FUZZ_CXX:-clang++-14}
command -v "$cxx" >/dev/null || { echo "fuzz/run.sh: $cxx not found (Debian: clang-14 libfuzzer-14-dev libclang-rt-14-dev)" >&2; exit 1; }

if [ $# -gt 0 ]; then
  targets=("$@")
else
  targets=()
  for source in "$root"/fuzz/targets/*.cpp; do targets+=("$(basename "$source" .cpp)"); done
fi

# The version header the build generates, made here from the same template.
version=$(sed -n 's/^project(Zorvane VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
mkdir -p "$out/generated"
sed -e "s/@PROJECT_VERSION@/$version/" -e "s/@PROJECT_VERSION_MAJOR@/${version%%.*}/" \
  -e "s/@PROJECT_VERSION_MINOR@/$(cut -d. -f2 <<<"$version")/" \
  "$root/cmake/ZorvaneVersion.h.in" > "$out/generated/ZorvaneVersion.h"

share=$(( seconds / ${#targets[@]} ))
[ "$share" -ge 1 ] || share=1

for name in "${targets[@]}"; do
  source=$root/fuzz/targets/$name.cpp
  [ -f "$source" ] || { echo "fuzz/run.sh: no target $source" >&2; exit 1; }
  work=$out/$name
  mkdir -p "$work/corpus" "$work/seeds" "$work/artifacts"

  sources=()
  for file in $(sed -n 's|^// fuzz-sources:||p' "$source"); do sources+=("$root/$file"); done
  libs=()
  packages=$(sed -n 's|^// fuzz-libs:||p' "$source")
  if [ -n "$packages" ]; then read -ra libs <<< "$(pkg-config --libs $packages)"; fi
  echo "== $name: building"
  "$cxx" -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
    -I"$root/platform/include" -I"$root/platform" -I"$root/hostapi" -I"$root/plugin" -I"$out/generated" \
    "$source" "${sources[@]}" "${libs[@]}" -o "$work/$name"

  if [ -x "$root/fuzz/targets/$name.seeds.sh" ]; then
    "$root/fuzz/targets/$name.seeds.sh" "$work/seeds" "$work"
  fi

  echo "== $name: fuzzing for ${share}s"
  "$work/$name" -max_total_time="$share" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
    -print_final_stats=1 -artifact_prefix="$work/artifacts/" "$work/corpus" "$work/seeds"
done
