#!/usr/bin/env bash
# A headless PipeWire session of its own: a private runtime folder and D-Bus
# session bus, pipewire and wireplumber at PipeWire's defaults (48 kHz, 1024
# frames) clocked by its Dummy-Driver, no sound card and no display. The
# command given runs inside it through pw-jack, so its JACK clients (and those
# of its children) are PipeWire's. Everything started here ends with the
# command, and also when this script is stopped or killed.
#
#   tests/support/pipewire-session.sh COMMAND [ARG...]
#   tests/support/pipewire-session.sh bash        # a shell inside; exit ends it
#
# The script exits with the command's status, or 125 when the session did not
# start. Two sessions at once do not meet: each has its own folder and bus.
# The command finds the pipewire daemon's process id in TOLVANE_PIPEWIRE_PID,
# to stop the sound server under its clients.
set -euo pipefail

for tool in dbus-daemon pipewire wireplumber pw-jack pw-cli setpriv; do
  command -v "$tool" >/dev/null || { echo "pipewire-session: $tool is missing (tools/deps.sh installs it)" >&2; exit 125; }
done
[ $# -gt 0 ] || { echo "usage: $0 COMMAND [ARG...]" >&2; exit 2; }

root=$(mktemp -d "${TMPDIR:-/tmp}/tolvane-pipewire.XXXXXX")
pids=()
cleanup() {
  local status=$? i
  trap - EXIT TERM INT HUP
  # The command first, then wireplumber, pipewire and the bus.
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
    kill "${pids[i]}" 2>/dev/null || true
    wait "${pids[i]}" 2>/dev/null || true
  done
  rm -rf "$root"
  exit "$status"
}
trap cleanup EXIT
trap 'exit 143' TERM
trap 'exit 130' INT
trap 'exit 129' HUP

# Polls (in tenths of a second) until the command succeeds.
until_true() {
  local tenths=$1
  shift
  for ((; tenths > 0; tenths--)); do
    if "$@" >/dev/null 2>&1; then return 0; fi
    sleep 0.1
  done
  return 1
}

# Starts a daemon that gets SIGKILL should this script die without cleaning up.
daemon() {
  local log=$1
  shift
  setpriv --pdeathsig KILL "$@" >"$root/$log" 2>&1 &
  pids+=($!)
}

not_started() {
  echo "pipewire-session: $1" >&2
  for log in "$root"/*.log; do
    [ -s "$log" ] && { echo "--- ${log##*/}" >&2; tail -n 20 "$log" >&2; }
  done
  exit 125
}

mkdir -m 700 "$root/run" "$root/config" "$root/state"
export XDG_RUNTIME_DIR="$root/run"
export PIPEWIRE_RUNTIME_DIR="$XDG_RUNTIME_DIR"
export DBUS_SESSION_BUS_ADDRESS="unix:path=$XDG_RUNTIME_DIR/bus"
export PIPEWIRE_LOG_SYSTEMD=false
unset PIPEWIRE_REMOTE JACK_DEFAULT_SERVER JACK_NO_START_SERVER

daemon dbus.log dbus-daemon --session --nofork --nopidfile --address="$DBUS_SESSION_BUS_ADDRESS"
until_true 50 test -S "$XDG_RUNTIME_DIR/bus" || not_started "the session bus did not start"

# The daemons read no configuration of the user's: the defaults are the point.
daemon pipewire.log env XDG_CONFIG_HOME="$root/config" XDG_STATE_HOME="$root/state" pipewire
until_true 100 pw-cli info 0 || not_started "pipewire did not start"
export TOLVANE_PIPEWIRE_PID=${pids[-1]}
daemon wireplumber.log env XDG_CONFIG_HOME="$root/config" XDG_STATE_HOME="$root/state" wireplumber
# grep reads all (no -q): pw-cli must not meet a closed pipe under pipefail.
wireplumber_up() { pw-cli ls Client | grep '"WirePlumber"' >/dev/null; }
until_true 100 wireplumber_up || not_started "wireplumber did not start"
until_true 100 pw-jack jack_wait -c || not_started "PipeWire's JACK does not accept clients"
echo "pipewire-session: up in $root ($(pw-jack jack_samplerate) Hz, $(pw-jack jack_bufsize) frames)" >&2

# In the background so that a signal to this script is acted on at once; the
# explicit <&0 keeps the command's standard input, which a background job of
# a script otherwise loses.
setpriv --pdeathsig TERM pw-jack "$@" <&0 &
pids+=($!)
status=0
wait "${pids[-1]}" || status=$?
exit "$status"
