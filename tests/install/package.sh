#!/usr/bin/env bash
# Builds the Debian package from a build tree and checks what it holds, what
# it depends on, that every part states the one version, and lintian.
# Usage: package.sh BUILD_DIR
source "$(dirname "$0")/../adapters/hosts/lib.sh"

(cd "$build" && cpack -G DEB -B "$tmp" >"$tmp/cpack.log" 2>&1) || { cat "$tmp/cpack.log" >&2; fail "cpack"; }
version=$("$build/bin/zorvane" --version | sed 's/^zorvane //')
deb=$tmp/zorvane_${version}_amd64.deb
[ -f "$deb" ] || fail "no $(basename "$deb") (made: $(ls "$tmp"))"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "the package's version is not zorvane --version's"

dpkg-deb -x "$deb" "$tmp/root"
moduledir=$(pkg-config --variable=moduledir mlt-framework-7)
for f in usr/bin/zorvane usr/lib/zorvane/libzorvane-platform.so usr/lib/zorvane/Zorvane.bundle/Contents/Info.plist \
         usr/lib/zorvane/Zorvane.bundle/Contents/Linux/zorvane.so usr/lib/zorvane/Zorvane.bundle/Contents/Resources/manual.pdf \
         usr/lib/frei0r-1/zorvane.so "${moduledir#/}/libmltzorvane.so" "${moduledir#/}/zorvane/filter_zorvane.yml" \
         usr/share/kdenlive/effects/zorvane.xml usr/share/kdenlive/effects/frei0r_zorvane.xml \
         usr/share/shotcut/qml/filters/zorvane/meta_zorvane.qml usr/share/shotcut/qml/filters/zorvane/ui.qml \
         usr/share/shotcut/qml/filters/zorvane/vui.qml usr/share/man/man1/zorvane.1.gz usr/share/doc/zorvane/copyright; do
  [ -e "$tmp/root/$f" ] || fail "the package lacks /$f"
done
grep -q "<string>$version</string>" "$tmp/root/usr/lib/zorvane/Zorvane.bundle/Contents/Info.plist" ||
  fail "Info.plist states another version"
grep -qx "version: $version" "$tmp/root/${moduledir#/}/zorvane/filter_zorvane.yml" || fail "the MLT filter states another version"
zcat "$tmp/root/usr/share/man/man1/zorvane.1.gz" | grep -q "zorvane $version" || fail "the man page states another version"
# Nothing of the build tree or the linker's path: no RUNPATH outside the package.
! find "$tmp/root" -type f -exec readelf -d {} + 2>/dev/null | grep -E 'R(UN)?PATH' | grep -v '\$ORIGIN' ||
  fail "a file has a RUNPATH outside the package"

# Dependencies from the linked libraries, the private one not among them.
depends=$(dpkg-deb -f "$deb" Depends)
for d in libc6 libstdc++6 libavformat libavcodec libswscale libsdl2 libfreetype6 libpugixml libmlt7 fonts-dejavu-core; do
  [[ $depends == *"$d"* ]] || fail "Depends lacks $d: $depends"
done
[[ $depends != *zorvane* ]] || fail "Depends names the package's own library: $depends"

lintian --fail-on error "$deb" >"$tmp/lintian.log" 2>&1 || { cat "$tmp/lintian.log" >&2; fail "lintian reports errors"; }
echo "ok: $(basename "$deb"), Depends: $depends"
