#!/usr/bin/env bash
# Installs what is missing, builds into build/ and runs every test, then runs
# every fuzz target for a few seconds (built with clang into build-fuzz/), so
# that a crash on the seeds or the kept reproducers fails.
set -euo pipefail
cd "$(dirname "$0")"
source tools/deps.sh
tolvane_ensure_deps
tolvane_build build
(cd build && ctest --output-on-failure -j "$(nproc)" --timeout 600)
tools/fuzz.sh "${TOLVANE_FUZZ_SMOKE_SECONDS:-3}"
