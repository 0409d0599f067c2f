#!/usr/bin/env bash
# Installs into /usr, /usr/local, ~/.local and an odd prefix (the system ones
# staged under DESTDIR, HOME a temporary folder) and checks what `zorvane
# hosts` and the install say against what the real ffmpeg, melt and
# gst-launch do with the lines they print.  Usage: prefixes.sh BUILD_DIR
source "$(dirname "$0")/../adapters/hosts/lib.sh"
unset FREI0R_PATH MLT_REPOSITORY XDG_DATA_HOME XDG_DATA_DIRS
export HOME=$tmp/home GST_REGISTRY=$tmp/gst-registry.bin
mkdir -p "$HOME"
moduledir=$(pkg-config --variable=moduledir mlt-framework-7)
shotcut=$(dirname "$(dirname "$(readlink -f "$(command -v shotcut)")")")/share/shotcut/qml/filters

# install PREFIX [DESTDIR]: the install's advice, then the report, in $tmp/said and $tmp/report
install_at() {
  DESTDIR=${2:-} cmake --install "$build" --prefix "$1" | grep -v '^-- ' >"$tmp/said" || true
  "${2:-}$1/bin/zorvane" hosts --prefix "$1" >"$tmp/report"
  "${2:-}$1/bin/zorvane" hosts --prefix "$1" --quiet | cmp -s - "$tmp/said" ||
    fail "$1: the install's advice is not the report's"
}
# expect HOST TEXT: the host's lines in the report hold TEXT
expect() {
  awk -v h="$1" '/^[^ ]/ { cur = $1 } cur == h' "$tmp/report" | grep -qF -- "$2" ||
    { cat "$tmp/report" >&2; fail "$1 should say: $2"; }
}

install_at /usr "$tmp/root"
[ ! -s "$tmp/said" ] || { cat "$tmp/said" >&2; fail "/usr: every host looks there, yet the install advises"; }
expect ffmpeg "finds /usr/lib/frei0r-1/zorvane.so"
expect GStreamer "finds /usr/lib/frei0r-1/zorvane.so"
expect melt "finds $moduledir/libmltzorvane.so"
expect Kdenlive "finds /usr/share/kdenlive/effects/zorvane.xml"
expect Shotcut "finds $shotcut/zorvane"

install_at /usr/local "$tmp/root"
expect ffmpeg "finds /usr/local/lib/frei0r-1/zorvane.so"
expect GStreamer "finds /usr/local/lib/frei0r-1/zorvane.so"
expect melt "fix: export MLT_REPOSITORY=/usr/local/lib/mlt-7"
expect Kdenlive "finds /usr/local/share/kdenlive/effects/zorvane.xml"
expect Shotcut "fix: ln -s /usr/local/share/shotcut/qml/filters/zorvane $shotcut/"

install_at /opt/zv-odd "$tmp/root"
expect ffmpeg "fix: export FREI0R_PATH=/opt/zv-odd/lib/frei0r-1:"
expect GStreamer "does not look in /opt/zv-odd/lib/frei0r-1"
expect Kdenlive "fix: export XDG_DATA_DIRS=/opt/zv-odd/share:/usr/local/share:/usr/share"

# ~/.local for real: the hosts fail as reported, then work with the printed lines.
install_at "$HOME/.local"
expect Kdenlive "finds $HOME/.local/share/kdenlive/effects/zorvane.xml"
hosts_work() {
  "${host[@]}" ffmpeg -v quiet -f lavfi -i testsrc2=s=64x48:d=0.2 -vf frei0r=zorvane -f null - &&
    "${host[@]}" gst-inspect-1.0 frei0r-filter-zorvane >/dev/null 2>&1 &&
    melt_finds
}
# melt loads every module of the folder; under a preloaded sanitizer runtime
# one of MLT's own hangs at load, so a sanitized build leaves melt to adapters.*.
melt_finds() {
  [ ${#host[@]} -gt 0 ] && return 0
  [[ $(timeout 120 melt -query filter=zorvane 2>/dev/null </dev/null) == *"identifier: rect"* ]] &&
    [[ $(timeout 120 melt -query producer=avformat 2>/dev/null </dev/null) == *"identifier: resource"* ]]
}
! hosts_work || fail "~/.local: a host found the filters before the fixes"
eval "$(sed -n 's/^ *fix: \(export .*\)/\1/p' "$tmp/report" | sort -u)"
hosts_work || fail "~/.local: the printed fixes do not make ffmpeg, gst-launch and melt find the filters"
"$HOME/.local/bin/zorvane" hosts >"$tmp/report"
for h in ffmpeg GStreamer melt; do expect $h "finds $HOME/.local/lib/"; done
echo "ok: /usr, /usr/local, ~/.local and an odd prefix"
