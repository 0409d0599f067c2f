#!/usr/bin/env bash
# Remakes the pictures of the dialog in docs/ from scripted runs of the built
# host: zorvane configure on the demo clip, with a throw-away Preferences folder.
#   docs/make-snapshots.sh [ZORVANE]
set -euo pipefail
docs=$(cd "$(dirname "$0")" && pwd)
zorvane=$(realpath "${1:-$docs/../build/release/bin/zorvane}")
prefs=$(mktemp -d)
trap 'rm -rf "$prefs"' EXIT
cd "$docs"
for script in scripts/*.script; do
  XDG_CONFIG_HOME=$prefs "$zorvane" configure --script "$script"
done
ls -l "$docs"/*.png
