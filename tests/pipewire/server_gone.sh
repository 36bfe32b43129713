#!/usr/bin/env bash
# Inside a PipeWire session: the simulator, on PipeWire's JACK, outlives the
# server going away under it, says so, and still takes commands and quits.
#   server_gone.sh VELUMO_SIM
set -euo pipefail
sim=$1
fail() {
  echo "server_gone: $*" >&2
  exit 1
}

coproc SIM { "$sim" --fresh 2>&1; }
# Bash forgets SIM_PID as soon as the simulator has ended, which it may do
# before the wait below.
sim_pid=$SIM_PID
read -r -t 10 line <&"${SIM[0]}" || fail "no ready line"
[[ $line == 'ready api=jack in="Velumo Ostrel:Velumo Ostrel Out" out="Velumo Ostrel:Velumo Ostrel In"' ]] ||
  fail "unexpected: $line"

kill "$TOLVANE_PIPEWIRE_PID"
read -r -t 10 line <&"${SIM[0]}" || fail "nothing said after the server stopped"
[[ $line == gone:* ]] || fail "unexpected: $line"

echo status >&"${SIM[1]}"
read -r -t 5 line <&"${SIM[0]}" || fail "no answer to status"
[[ $line == status* ]] || fail "unexpected: $line"
echo quit >&"${SIM[1]}"
read -r -t 5 line <&"${SIM[0]}" || fail "no answer to quit"
[[ $line == bye ]] || fail "unexpected: $line"
wait "$sim_pid" || fail "the simulator ended with $?"
echo "server_gone: ok"
