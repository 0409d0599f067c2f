#!/usr/bin/env bash
# melt finds the native filter and describes it.
source "$(dirname "$0")/lib.sh"
melt_setup
query=$("${host[@]}" env MLT_REPOSITORY="$mlt" melt -query filter=zorvane 2>/dev/null </dev/null)
[[ $query == *"identifier: rect"* ]] || fail "melt -query filter=zorvane does not describe the filter"
echo "ok: melt -query filter=zorvane"
