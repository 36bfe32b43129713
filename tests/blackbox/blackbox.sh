#!/usr/bin/env bash
# Runs bin/tolvane under Xvfb against velumo-sim on a private JACK server and
# drives it with xdotool at canvas coordinates: browse to a preset whose user
# IRs are not cached (the simulator's preset 39), turn a knob, quit. After
# each step: the window still repaints (a screenshot changes when a knob is
# turned), the simulator saw what the user did, and the program's stderr holds
# no Qt thread warning. Screenshots are kept in the output folder.
#
# Usage: blackbox.sh BIN_DIR OUT_DIR      (exit 77: skipped)
set -uo pipefail
bin=$1
out=$2
mkdir -p "$out"

for tool in Xvfb; do
  command -v "$tool" >/dev/null || { echo "SKIPPED: $tool is not installed; the black-box run needs it"; exit 77; }
done
for tool in xdotool import convert jackd jack_wait; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing (tools/deps.sh installs it)"; exit 1; }
done

tmp=$(mktemp -d)
xvfb_pid="" jack_pid="" sim_pid="" app_pid=""
cleanup() {
  for pid in $app_pid $sim_pid $jack_pid $xvfb_pid; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  exec 3>&- 2>/dev/null || true
  rm -rf "$tmp"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*"
  echo "--- tolvane stderr"; cat "$tmp/stderr" 2>/dev/null
  echo "--- simulator"; tail -20 "$tmp/sim.out" 2>/dev/null
  exit 1
}

# ---- X server, JACK server, simulator --------------------------------------------
n=${TOLVANE_BLACKBOX_DISPLAY:-91}
while [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp >"$tmp/xvfb.log" 2>&1 &
xvfb_pid=$!
export DISPLAY=":$n"
for _ in $(seq 1 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done
xdotool getdisplaygeometry >/dev/null 2>&1 || fail "Xvfb did not start"

export JACK_DEFAULT_SERVER="tolvane-blackbox-$$"
jackd -n "$JACK_DEFAULT_SERVER" --no-realtime -d dummy -r 44100 -p 512 >"$tmp/jackd.log" 2>&1 &
jack_pid=$!
jack_wait -w -t 10 >/dev/null 2>&1 || fail "the JACK server did not start: $(cat "$tmp/jackd.log")"

mkfifo "$tmp/sim.in"
exec 3<>"$tmp/sim.in"
"$bin/velumo-sim" --api jack --state "$tmp/pedal" --fresh <"$tmp/sim.in" >"$tmp/sim.out" 2>&1 &
sim_pid=$!
ready=""
for _ in $(seq 1 100); do
  ready=$(grep -m1 '^ready' "$tmp/sim.out" || true)
  [ -n "$ready" ] && break
  sleep 0.1
done
[ -n "$ready" ] || fail "the simulator did not start"
sim_in=$(sed -n 's/.* in="\([^"]*\)".*/\1/p' <<<"$ready")
sim_out=$(sed -n 's/.* out="\([^"]*\)".*/\1/p' <<<"$ready")

# The simulator's status line: "status preset=N received=N ...".
sim_status() {
  echo status >&3
  sleep 0.3
  grep '^status' "$tmp/sim.out" | tail -1
}
sim_field() { sim_status | sed -n "s/.* $1=\([^ ]*\).*/\1/p"; }

# ---- The editor ----------------------------------------------------------------------
export XDG_DATA_HOME="$tmp/data"
mkdir -p "$XDG_DATA_HOME/Tolvane" "$tmp/tmp"
export TMPDIR="$tmp/tmp"
printf '[audio]\ndriver=1\nindev=Default Device\noutdev=Default Device\nin1=1\nin2=2\nout1=1\nout2=2\nbuffer=512\nsr=44100\n[midi]\nindev=%s\noutdev=%s\ninchan=0\noutchan=0\n' \
  "$sim_in" "$sim_out" >"$XDG_DATA_HOME/Tolvane/settings.ini"
"$bin/tolvane" >"$tmp/stdout" 2>"$tmp/stderr" &
app_pid=$!
win=$(timeout 20 xdotool search --sync --onlyvisible --name '^Tolvane$' | head -1)
[ -n "$win" ] || fail "no window"

# Canvas origin: the canvas (960 x 600 at the default half scale) fills the
# window below the menu bar.
eval "$(xdotool getwindowgeometry --shell "$win")"
cx=$X
cy=$((Y + HEIGHT - 600))
at() { # canvas coordinates (1920 x 1200) to screen
  echo "$((cx + $1 / 2)) $((cy + $2 / 2))"
}
shot() { import -window root "$out/$1.png"; }
pixels() { convert "$out/$1.png" rgb:- | md5sum | cut -d' ' -f1; }
no_thread_warning() {
  if grep -Ei 'thread|startTimer' "$tmp/stderr"; then fail "Qt thread warning after $1"; fi
}

# Connected once every preset is cached.
for _ in $(seq 1 200); do
  [ "$(ls "$XDG_DATA_HOME/Tolvane/Presets" 2>/dev/null | wc -l)" -ge 128 ] && break
  sleep 0.1
done
[ "$(ls "$XDG_DATA_HOME/Tolvane/Presets" 2>/dev/null | wc -l)" -ge 128 ] || fail "the presets were not loaded"
sleep 1
shot 01-connected
no_thread_warning "connecting"

# ---- Step 1: browse to preset 39 (two user IRs not cached) -----------------------------
# Seven wheel notches down the list: rows 21..39 are shown, 39 at the bottom.
read -r x y <<<"$(at 100 600)"
xdotool mousemove "$x" "$y"
for _ in 1 2 3 4 5 6 7; do xdotool click 5; sleep 0.1; done
read -r x y <<<"$(at 100 $((228 + 50 * 18 + 20)))"
xdotool mousemove "$x" "$y" click 1
preset=""
for _ in $(seq 1 30); do
  preset=$(sim_field preset)
  [ "$preset" = 39 ] && break
done
[ "$preset" = 39 ] || fail "the pedal is on preset $preset, not 39"
sleep 3 # the two user IRs come down from the pedal
shot 02-preset-39
no_thread_warning "browsing to preset 39"
ls "$XDG_DATA_HOME/Tolvane/User IRs" >/dev/null 2>&1 || fail "no user IR was downloaded"

# ---- Step 2: turn DRIVE; the window repaints and the pedal hears it --------------------------
before=$(pixels 02-preset-39)
received=$(sim_field received)
read -r x y <<<"$(at 770 189)"
xdotool mousemove "$x" "$y" mousedown 1
for d in 4 8 12 16 20 24; do xdotool mousemove "$x" $((y - d)); sleep 0.05; done
xdotool mouseup 1
sleep 1
shot 03-drive-turned
[ "$(pixels 03-drive-turned)" != "$before" ] || fail "the window did not repaint after DRIVE was turned"
[ "$(sim_field received)" -gt "$received" ] || fail "the pedal received nothing from DRIVE"
no_thread_warning "turning DRIVE"

# ---- Quit as at logout ---------------------------------------------------------------------------
kill -TERM "$app_pid"
status=0
wait "$app_pid" || status=$?
app_pid=""
[ "$status" = 0 ] || fail "the program ended with $status on SIGTERM"
[ "$(sim_field editor-closings)" -ge 1 ] || fail "no Editor closing reached the pedal"
no_thread_warning "quitting"
echo "PASS: browse to preset 39, DRIVE turned and repainted, quit; screenshots in $out"
