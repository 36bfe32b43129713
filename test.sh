#!/usr/bin/env bash
# Installs what is missing, builds into build/ and runs every test.
set -euo pipefail
cd "$(dirname "$0")"
source tools/deps.sh
tolvane_ensure_deps
tolvane_build build
cd build
ctest --output-on-failure -j "$(nproc)" --timeout 600
