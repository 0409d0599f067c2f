#!/usr/bin/env bash
# Seeds: a part's description, with an escaped file name, and one cut short.
set -euo pipefail
d=$1
line='zorvane-part 1; part=2/3; input=my%3Bclip.mov; input-bytes=124776; input-frames=30; start=0; frames=30; fade-in=12; fade-out=12; size=64x48; rate=30000/1001; proxy=0; config=fdc31c540e74bfdabb9e7df1bc45cad2; encoder=libx264; reorder=2'
printf '%s' "$line" >"$d/part"
printf '%s' "${line:0:80}" >"$d/short"
