#!/usr/bin/env bash
# Renders every page of the editor to PNG (the page tests' pictures: each
# section page and overlay at draw scale 0.5 and 1, the main page at 0.5, 1
# and 2, pages on 1× and 2× screens) and compares them pixel by pixel with a
# reference set:
#   bench/compare_pages.sh <reference-dir> [build-dir]
# When the reference folder does not exist yet, the pictures of this build
# become the reference (take it before a change, compare after it).
# Exits 1 when any picture differs.
set -euo pipefail
cd "$(dirname "$0")/.."
reference=$1
build=$(realpath "${2:-build}")
nice -n 5 cmake --build "$build" -j2 --target test_ui compare_pages >/dev/null
out="$build/tests/ui"
rm -f "$out"/*.png
QT_QPA_PLATFORM=offscreen "$build/bin/test_ui" --gtest_filter='*Render*' >/dev/null
if [ ! -d "$reference" ]; then
  mkdir -p "$reference"
  cp "$out"/*.png "$reference"/
  echo "reference recorded: $(ls "$reference" | wc -l) pictures in $reference"
  exit 0
fi
"$build/bin/compare_pages" "$reference" "$out"
