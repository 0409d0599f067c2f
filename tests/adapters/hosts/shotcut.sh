#!/usr/bin/env bash
# Shotcut under Xvfb lists the filter, opens its panel and saves a project
# with it, which melt renders exactly as `zorvane render`.
source "$(dirname "$0")/lib.sh"
needs ffmpeg shotcut Xvfb xdotool dbus-run-session
# Shotcut would need the sanitizers' runtime preloaded into all of itself.
[ ${#host[@]} -eq 0 ] || { echo "SKIP: a sanitized build; Shotcut runs the Release build's filter"; exit 77; }
# Shotcut reads its filters from share/shotcut/qml beside its program: a
# copy of the program in a tree of links that adds the installed filter.
sc=$tmp/shotcut
mkdir -p "$sc/bin" "$sc/share/shotcut/qml/filters" "$sc/home"
cp "$(command -v shotcut)" "$sc/bin/"
for d in /usr/share/shotcut/qml/*; do [ "${d##*/}" = filters ] || ln -s "$d" "$sc/share/shotcut/qml/"; done
ln -s /usr/share/shotcut/qml/filters/* "$sc/share/shotcut/qml/filters/"
ln -sfn "$p/share/shotcut/qml/filters/zorvane" "$sc/share/shotcut/qml/filters/"
melt_setup
ln -s "$(pkg-config --variable=moduledir mlt-framework-7)"/* "$mlt/" 2>/dev/null || true
melt_clip 320 180 25 50 opaque
cat >"$tmp/project.mlt" <<EOF
<mlt LC_NUMERIC="C" producer="main_bin"><profile description="t" width="320" height="180" progressive="1"
 sample_aspect_num="1" sample_aspect_den="1" display_aspect_num="16" display_aspect_den="9" frame_rate_num="25"
 frame_rate_den="1" colorspace="709"/><playlist id="main_bin"><property name="xml_retain">1</property></playlist>
<producer id="black" in="00:00:00.000" out="00:00:01.960"><property name="length">00:00:02.000</property>
<property name="resource">0</property><property name="mlt_service">color</property></producer>
<playlist id="background"><entry producer="black" in="00:00:00.000" out="00:00:01.960"/></playlist>
<chain id="s" out="00:00:01.960"><property name="length">00:00:02.000</property>
<property name="resource">$clip</property><property name="mlt_service">avformat-novalidate</property>
$(filt 5 5 'in="00:00:00.400" out="00:00:01.520"' '<property name="shotcut:filter">zorvane</property><property name="rect">80 45 160 90 1</property><property name="red">30</property><property name="green">60</property><property name="blue">90</property>')
</chain><playlist id="v1"><property name="shotcut:video">1</property><property name="shotcut:name">V1</property>
<entry producer="s" in="00:00:00.400" out="00:00:01.520"/></playlist>
<tractor id="t" in="00:00:00.000" out="00:00:01.960"><property name="shotcut">1</property><track producer="background"/>
<track producer="v1"/></tractor></mlt>
EOF
Xvfb -displayfd 3 -screen 0 1600x1000x24 3>"$tmp/display" >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; [ -n "${KEEP:-}" ] || rm -rf "$tmp"' EXIT
for _ in $(seq 50); do [ -s "$tmp/display" ] && break; sleep 0.2; done
export DISPLAY=:$(cat "$tmp/display") HOME=$sc/home QT_QPA_PLATFORM=xcb
log=$HOME/.local/share/Meltytech/Shotcut/shotcut-log.txt
MLT_REPOSITORY=$mlt dbus-run-session -- "$sc/bin/shotcut" "$tmp/project.mlt" >"$tmp/shotcut.out" 2>&1 &
shotcut=$!
for _ in $(seq 120); do grep -q 'added filter "Zorvane"' "$log" 2>/dev/null && break; sleep 0.5; done
grep -q 'added filter "Zorvane"' "$log" 2>/dev/null || fail "Shotcut does not list the filter"
echo "ok: Shotcut lists Zorvane"
# The default layout at this screen size: the clip on track V1, then the
# Filters tab, which opens the clip's filter panel; then File > Save.
sleep 15
xdotool mousemove 155 545 click 1 sleep 2 mousemove 103 396 click 1 sleep 5 key ctrl+s sleep 3
[ -z "${KEEP:-}" ] || import -window root "$tmp/shotcut.png"
kill $shotcut 2>/dev/null; wait $shotcut 2>/dev/null || true
# Shotcut logs errors in loading the files; the panel's own script errors
# reach no log (a picture of the screen is kept with KEEP=1).
! grep -iE 'zorvane/[a-z_]*\.qml' "$log" || fail "QML errors in Shotcut's log"
grep -q 'shotcut:projectAudioChannels' "$tmp/project.mlt" || fail "Shotcut did not save the project"
grep -q '<property name="rect">80 45 160 90' "$tmp/project.mlt" || fail "Shotcut lost the rectangle"
echo "ok: Shotcut loads the panel and saves the project"
"$store" 0.25 0.75 0.25 0.75 30 60 90
render "$decoded" --start 10 --frames 29 --fade-in 5 --fade-out 5 "$tmp/want.rgba"
melt "$tmp/got.rgba" "$tmp/project.mlt"
same "$tmp/want.rgba" "$tmp/got.rgba" "the project Shotcut saved, through melt"
