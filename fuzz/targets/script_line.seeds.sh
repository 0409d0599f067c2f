#!/usr/bin/env bash
# Seeds: the scripts that make the README's pictures.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
cp "$root"/docs/scripts/*.script "$1/"
