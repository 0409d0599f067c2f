#!/usr/bin/env bash
# Kdenlive-shaped documents through melt: fades and keyframes count over the
# clip as it stands where the filter is attached, byte for byte as `zorvane
# render` of the same frames.
source "$(dirname "$0")/lib.sh"
needs ffmpeg python3
doc() { echo "<mlt><producer id=\"c\"><property name=\"resource\">$clip</property></producer>$*</mlt>" >"$tmp/doc.mlt"; }
melt_clip 64 45 25 50
"$store" 0.1 0.6 0.2 0.9 30 60 90
# name | the timeline after the producer | the frames expected, one piece a
# line: FIRST COUNT of `zorvane render ARGS` (no ARGS: the untouched clip)
while IFS='|' read -r name body pieces; do
  doc "$body"
  melt "$tmp/got.rgba" "$tmp/doc.mlt"
  : >"$tmp/want.rgba"
  while read -r first count args; do
    if [ -n "$args" ]; then
      render "$decoded" $args "$tmp/ref.rgba"
      frames "$tmp/ref.rgba" "$first" "$count" >>"$tmp/want.rgba"
    else
      frames "$tmp/decoded.rgba" "$first" "$count" >>"$tmp/want.rgba"
    fi
  done <<<"${pieces//;/$'\n'}"
  same "$tmp/want.rgba" "$tmp/got.rgba" "$name"
done <<EOF
trimmed clip|<playlist><entry producer="c" in="10" out="38">$(filt 5 5)</entry></playlist>|0 29 --start 10 --frames 29 --fade-in 5 --fade-out 5
clip cut in two|<playlist><entry producer="c" in="0" out="19">$(filt 4 4)</entry><entry producer="c" in="20" out="49">$(filt 4 4)</entry></playlist>|0 20 --frames 20 --fade-in 4 --fade-out 4;0 30 --start 20 --frames 30 --fade-in 4 --fade-out 4
one frame shorter than the file|<playlist><entry producer="c" in="0" out="48">$(filt 0 6)</entry></playlist>|0 49 --frames 49 --fade-out 6
filter with its own in and out|<playlist><entry producer="c" in="10" out="38">$(filt 3 3 'in="15" out="30"')</entry></playlist>|10 5;0 16 --start 15 --frames 16 --fade-in 3 --fade-out 3;31 8
fades longer than the entry|<playlist><entry producer="c" in="10" out="19">$(filt 30 0)</entry><entry producer="c" in="20" out="28">$(filt 30 30)</entry></playlist>|0 10 --start 10 --frames 10 --fade-in 30;0 9 --start 20 --frames 9 --fade-in 30 --fade-out 30
Shotcut: the filter in the clip's chain, over the entry's in and out|<chain id="s" out="49"><property name="resource">$clip</property>$(filt 5 5 'in="10" out="38"')</chain><playlist><entry producer="s" in="10" out="38"/></playlist>|0 29 --start 10 --frames 29 --fade-in 5 --fade-out 5
track effect over two entries|<playlist id="p"><entry producer="c" in="5" out="19"/><entry producer="c" in="30" out="41"/></playlist><tractor id="t" in="0" out="26"><track producer="p"/>$(filt 4 4)</tractor>|0 15 --start 5 --frames 27 --fade-in 4 --fade-out 4;15 12 --start 15 --frames 27 --fade-in 4 --fade-out 4
EOF
# Keyframes in Kdenlive's timecode form count from the entry's first frame:
# the rectangle moves one column a frame, 37 frames (1.48 s) from column 0.
"$store" 0 1 0 1 30 60 90
render "$decoded" "$tmp/all.rgba"
doc "<playlist><entry producer=\"c\" in=\"10\" out=\"48\">$(filt 0 0 '' \
  '<property name="rect">00:00:00.000=0 5 20 30;00:00:01.480=37 5 20 30</property><property name="red">30</property><property name="green">60</property><property name="blue">90</property>')</entry></playlist>"
melt "$tmp/got.rgba" "$tmp/doc.mlt"
rects=()
for k in $(seq 0 38); do rects+=("$((k < 37 ? k : 37)) 5 20 30"); done
lift "$tmp/want.rgba" 64 45 10 "${rects[@]}"
same "$tmp/want.rgba" "$tmp/got.rgba" "keyframes in timecode form on a trimmed clip"
