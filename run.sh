#!/usr/bin/env bash
# Installs what is missing, builds, and starts the editor with the pedal
# simulator on the other end. A running PipeWire is used through pw-jack (its
# JACK), else a running JACK server; when there is neither, a JACK server with
# its dummy backend (44.1 kHz, 512 frames) gives the audio clock and the MIDI
# ports. Everything started here is stopped when the editor exits.
#
# Environment:
#   TOLVANE_BUILD_DIR  the build folder to run from (default: build)
#   TOLVANE_NO_BUILD   when set, run what is built already (no install, no build)
#   TOLVANE_SIM_ARGS   extra arguments for the simulator, e.g. "-v"
#   TOLVANE_SIM_LOG    keep the simulator's output in this file
set -euo pipefail
cd "$(dirname "$0")"
build_dir="${TOLVANE_BUILD_DIR:-build}"
if [ -z "${TOLVANE_NO_BUILD:-}" ]; then
  source tools/deps.sh
  tolvane_ensure_deps
  tolvane_build "$build_dir"
fi

jack_pid=""
sim_pid=""
sim_out=""
sim_fifo=""
cleanup() {
  if [ -n "$sim_pid" ]; then kill "$sim_pid" 2>/dev/null || true; wait "$sim_pid" 2>/dev/null || true; fi
  if [ -n "$jack_pid" ]; then kill "$jack_pid" 2>/dev/null || true; wait "$jack_pid" 2>/dev/null || true; fi
  if [ -n "$sim_out" ] && [ -z "${TOLVANE_SIM_LOG:-}" ]; then rm -f "$sim_out"; fi
  if [ -n "$sim_fifo" ]; then exec 3>&-; rm -f "$sim_fifo"; fi
}
trap cleanup EXIT INT TERM

# The simulator and the editor start through this (pw-jack on PipeWire).
launch=()
pipewire_running() {
  command -v pw-jack >/dev/null && timeout 5 pw-cli info 0 >/dev/null 2>&1 &&
    [ "$(timeout 5 pw-jack jack_wait -c 2>/dev/null)" = "running" ]
}
if pipewire_running; then
  echo "Using the running PipeWire (through pw-jack)"
  launch=(pw-jack)
elif [ "$(jack_wait -c 2>/dev/null)" = "running" ]; then
  echo "Using the running JACK server"
else
  echo "No sound server found: starting a JACK server with the dummy backend"
  log_dir="${XDG_RUNTIME_DIR:-}"
  if [ -z "$log_dir" ] || [ ! -w "$log_dir" ]; then log_dir=$(mktemp -d); fi
  jack_log=$(mktemp "$log_dir/tolvane-jackd.XXXXXX")
  jackd -n "${JACK_DEFAULT_SERVER:-default}" --no-realtime -d dummy -r 44100 -p 512 >"$jack_log" 2>&1 &
  jack_pid=$!
  jack_wait -w -t 10 >/dev/null 2>&1 || { echo "The JACK server did not start:"; cat "$jack_log"; exit 1; }
  echo "Its log: $jack_log"
fi

data_dir="${XDG_DATA_HOME:-$HOME/.local/share}/Tolvane"
settings="$data_dir/settings.ini"

if [ -x "$build_dir/bin/velumo-sim" ]; then
  echo "Starting the pedal simulator"
  sim_out=${TOLVANE_SIM_LOG:-$(mktemp)}
  # The simulator ends at the end of its input, so it reads from a pipe that
  # this script holds open until the editor exits.
  sim_fifo=$(mktemp -u)
  mkfifo "$sim_fifo"
  exec 3<>"$sim_fifo"
  # shellcheck disable=SC2086 # the extra arguments are meant to split
  "${launch[@]}" "$build_dir/bin/velumo-sim" ${TOLVANE_SIM_ARGS:-} <"$sim_fifo" >"$sim_out" 2>&1 &
  sim_pid=$!
  ready=""
  for _ in $(seq 1 100); do
    ready=$(grep -m1 '^ready' "$sim_out" || true)
    [ -n "$ready" ] && break
    sleep 0.1
  done
  if [ -z "$ready" ]; then
    echo "The simulator did not start:"; cat "$sim_out"; exit 1
  fi
  echo "$ready"
  # ready api=... in="<port the editor reads>" out="<port the editor writes>"
  sim_in=$(sed -n 's/.* in="\([^"]*\)".*/\1/p' <<<"$ready")
  sim_outport=$(sed -n 's/.* out="\([^"]*\)".*/\1/p' <<<"$ready")
  # Point the editor at the simulator's ports unless it already is (the first
  # start, or a change between JACK and the ALSA sequencer, whose port names
  # differ).
  midi_section=""
  if [ -f "$settings" ]; then midi_section=$(sed -n '/^\[midi\]/I,/^\[/p' "$settings"); fi
  if ! grep -qxF "indev=$sim_in" <<<"$midi_section" || ! grep -qxF "outdev=$sim_outport" <<<"$midi_section"; then
    mkdir -p "$data_dir"
    gui=""
    if [ -f "$settings" ]; then gui=$(sed -n '/^\[GUI\]/I,/^\[/p' "$settings" | grep -v '^\[' | grep -i '^scale=' || true); fi
    {
      printf '[audio]\ndriver=0\nindev=Default Device\noutdev=Default Device\nin1=1\nin2=2\nout1=1\nout2=2\nbuffer=512\nsr=44100\n'
      printf '[midi]\nindev=%s\noutdev=%s\ninchan=0\noutchan=0\n' "$sim_in" "$sim_outport"
      if [ -n "$gui" ]; then printf '[GUI]\n%s\n' "$gui"; fi
    } >"$settings"
    echo "Pointed the editor at the simulator's ports in $settings"
  fi
fi

echo "Starting the editor ($build_dir/bin/tolvane)"
"${launch[@]}" "$build_dir/bin/tolvane"
