#!/usr/bin/env bash
# Seeds: the bundle's own window descriptions.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
cp "$root/plugin/resources/zorvane.nib" "$root/plugin/resources/about.nib" "$1/"
