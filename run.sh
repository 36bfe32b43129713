#!/usr/bin/env bash
# Installs what is missing, builds, and starts the editor with the pedal
# simulator on the other end.
set -euo pipefail
cd "$(dirname "$0")"
source tools/deps.sh
tolvane_ensure_deps
tolvane_build build
if [ -x build/bin/velumo-sim ]; then
  echo "Starting the pedal simulator (build/bin/velumo-sim)"
  exec build/bin/velumo-sim
fi
echo "Built. The editor and the simulator are not there yet."
