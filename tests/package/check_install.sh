#!/usr/bin/env bash
# check_install.sh BUILD: installs into a temporary prefix and checks what a
# desktop needs: both programs, the menu entry, the icons, the AppStream
# metadata and the manual; the entry and the metadata pass their validators;
# the installed program answers --version without a display.
set -euo pipefail
build="$1"
prefix="$(mktemp -d)"
trap 'rm -rf "$prefix"' EXIT
id=org.tolvane.Tolvane

cmake --install "$build" --prefix "$prefix" > /dev/null

fail=0
expect() {
  if [ ! -s "$prefix/$1" ]; then
    echo "missing: $1"
    fail=1
  fi
}
expect bin/tolvane
expect bin/velumo-sim
expect share/applications/$id.desktop
expect share/metainfo/$id.metainfo.xml
expect share/icons/hicolor/scalable/apps/$id.svg
for size in 16 22 24 32 48 64 128 256; do
  expect share/icons/hicolor/${size}x${size}/apps/$id.png
done
expect share/doc/tolvane/manual.pdf
[ "$fail" -eq 0 ] || exit 1

desktop-file-validate "$prefix/share/applications/$id.desktop"
grep -qx 'Categories=Audio;Midi;AudioVideo;' "$prefix/share/applications/$id.desktop"
appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml"

# A PNG says its size in its header: width and height at bytes 16..23.
png_size() { od -An -tu1 -j16 -N8 "$1" | awk '{print $3*256+$4 "x" $7*256+$8}'; }
for size in 16 256; do
  got="$(png_size "$prefix/share/icons/hicolor/${size}x${size}/apps/$id.png")"
  [ "$got" = "${size}x${size}" ] || { echo "icon ${size}x${size} is $got"; exit 1; }
done

version="$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$prefix/bin/tolvane" --version)"
[ "$version" = "tolvane 1.0.0" ] || { echo "installed tolvane --version said: $version"; exit 1; }
echo "installed and valid"
