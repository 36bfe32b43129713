#!/usr/bin/env bash
# check_deb.sh BUILD: makes the Debian package with cpack (into a temporary
# folder, so runs do not meet) and lists it: the files a user needs under
# /usr, and dependencies found by dpkg-shlibdeps.
set -euo pipefail
build="$1"
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
cd "$build"
cpack -G DEB -B "$out" > "$out/cpack.log" || { cat "$out/cpack.log"; exit 1; }
deb="$(ls "$out"/tolvane_*.deb)"
echo "package: $(basename "$deb")"
dpkg-deb -c "$deb" | awk '{print $6}' | tee "$out/contents"

fail=0
for path in ./usr/bin/tolvane ./usr/bin/velumo-sim \
            ./usr/share/applications/org.tolvane.Tolvane.desktop \
            ./usr/share/metainfo/org.tolvane.Tolvane.metainfo.xml \
            ./usr/share/icons/hicolor/scalable/apps/org.tolvane.Tolvane.svg \
            ./usr/share/icons/hicolor/48x48/apps/org.tolvane.Tolvane.png \
            ./usr/share/doc/tolvane/manual.pdf; do
  grep -qx "$path" "$out/contents" || { echo "not in the package: $path"; fail=1; }
done

depends="$(dpkg-deb -f "$deb" Depends)"
echo "Depends: $depends"
for lib in libqt6widgets6 libqt6svg6 librtmidi libjack qt6-qpa-plugins; do
  [[ "$depends" == *"$lib"* ]] || { echo "no dependency on $lib"; fail=1; }
done
exit "$fail"
