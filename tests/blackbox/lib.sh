# Helpers for the black-box runs, sourced by the scripts beside it: an X
# server, a private JACK server, the pedal simulator and the program, plus the
# ways a user reaches them (clicks at canvas coordinates, keys, the Qt file
# dialogs and message boxes). Every wait polls a condition with a deadline, so
# a loaded machine makes a run slower, never wrong, and a fault ends it.
#
# The caller sets bin (the build's bin folder), out (where screenshots go) and
# tmp (a scratch folder, removed at the end), then calls bb_start_all.

xvfb_pid="" jack_pid="" sim_pid="" app_pid="" win=""

bb_cleanup() {
  for pid in $app_pid $sim_pid $jack_pid $xvfb_pid; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  exec 3>&- 2>/dev/null || true
  # TOLVANE_BLACKBOX_KEEP=1 keeps the scratch folder (logs, files, the
  # simulator's memory) for a look after a failure.
  if [ -n "${TOLVANE_BLACKBOX_KEEP:-}" ]; then echo "kept: $tmp"; else rm -rf "$tmp"; fi
}

fail() {
  echo "FAIL: $*"
  shot "zz-failure" 2>/dev/null || true
  echo "--- tolvane stderr"; cat "$tmp/stderr" 2>/dev/null
  echo "--- simulator"; tail -20 "$tmp/sim.out" 2>/dev/null
  exit 1
}

# Skips (77) only where an X server cannot be had; any other missing tool is
# a fault of the machine's set-up.
bb_require_tools() {
  command -v Xvfb >/dev/null || { echo "SKIPPED: Xvfb is not installed; the black-box run needs it"; exit 77; }
  command -v xdotool >/dev/null || { echo "SKIPPED: xdotool is not installed; the black-box run needs it"; exit 77; }
  local tool
  for tool in import convert jackd jack_wait; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing (tools/deps.sh installs it)"; exit 1; }
  done
}

# A line per step, with the seconds since the start, so a slow step shows.
progress() { echo "[${SECONDS} s] $*"; }

# until_true SECONDS COMMAND...: polls COMMAND every 0.2 s; false at the deadline.
until_true() {
  local deadline=$((SECONDS + $1))
  shift
  while true; do
    "$@" && return 0
    [ "$SECONDS" -ge "$deadline" ] && return 1
    sleep 0.2
  done
}

# ---- X server, JACK server, simulator ---------------------------------------------

bb_start_x() {
  local n=${TOLVANE_BLACKBOX_DISPLAY:-91}
  while [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp >"$tmp/xvfb.log" 2>&1 &
  xvfb_pid=$!
  export DISPLAY=":$n"
  until_true 10 xdotool getdisplaygeometry >/dev/null 2>&1 || fail "Xvfb did not start"
}

# The program holds at most four of the pedal's messages between two audio
# cycles and drops what comes on top. On a loaded machine cycles come late,
# so the run takes a period of 23 ms (fewer late cycles than 12 ms) and has
# the simulator send at 100 us a byte (a 264-byte IR message every 26 ms),
# which a late cycle or two cannot pile up past four.
jack_period=${TOLVANE_BLACKBOX_JACK_PERIOD:-1024}
sim_byte_time=${TOLVANE_BLACKBOX_BYTE_TIME_US:-100}
bb_start_jack() {
  export JACK_DEFAULT_SERVER="tolvane-blackbox-$$"
  jackd -n "$JACK_DEFAULT_SERVER" --no-realtime --sync --timeout 5000 -d dummy -r 44100 -p "$jack_period" >"$tmp/jackd.log" 2>&1 &
  jack_pid=$!
  jack_wait -w -t 10 >/dev/null 2>&1 || fail "the JACK server did not start: $(cat "$tmp/jackd.log")"
}

sim_ready() { grep -q '^ready' "$tmp/sim.out"; }

bb_start_sim() {
  mkfifo "$tmp/sim.in"
  exec 3<>"$tmp/sim.in"
  "$bin/velumo-sim" ${TOLVANE_BLACKBOX_SIM_VERBOSE:+-v} --api jack --byte-time-us "$sim_byte_time" --state "$tmp/pedal" --fresh <"$tmp/sim.in" >"$tmp/sim.out" 2>&1 &
  sim_pid=$!
  until_true 20 sim_ready || fail "the simulator did not start"
  local ready
  ready=$(grep -m1 '^ready' "$tmp/sim.out")
  sim_in=$(sed -n 's/.* in="\([^"]*\)".*/\1/p' <<<"$ready")
  sim_out=$(sed -n 's/.* out="\([^"]*\)".*/\1/p' <<<"$ready")
}

# sim_say COMMAND: sends a command and waits for its answer (the simulator
# answers each command with one line, in order).
sim_say() {
  local before
  before=$(wc -l <"$tmp/sim.out")
  echo "$*" >&3
  until_true 10 sim_answered "$before" || fail "the simulator did not answer \"$*\""
  sed -n "$((before + 1)),\$p" "$tmp/sim.out" | grep -m1 -E '^(ok|error|status|bye)'
}
sim_answered() { sed -n "$(($1 + 1)),\$p" "$tmp/sim.out" | grep -qE '^(ok|error|status|bye)'; }

# The simulator's status line: "status preset=N received=N ...".
sim_field() { sim_say status | sed -n "s/.* $1=\([^ ]*\).*/\1/p"; }

# The simulator keeps its memory in files (saved within 200 ms of a change):
# edit.bin is the current preset's number then its 256-byte record, whose
# parameter i is at 34 + i; names.txt lists the stored preset and IR names.
sim_edit_param() { od -An -tu1 -j $((1 + 34 + $1)) -N1 "$tmp/pedal/edit.bin" | tr -d ' '; }
sim_user_ir_name() { sed -n '/^User IRs/,/^Factory IRs/p' "$tmp/pedal/names.txt" | sed -n "s/^  $1  //p"; }
sim_preset_name() { sed -n '/^Presets/,/^User IRs/p' "$tmp/pedal/names.txt" | sed -n "s/^  $1  //p"; }

# ---- The program -------------------------------------------------------------------

bb_start_app() {
  export XDG_DATA_HOME="$tmp/data"
  mkdir -p "$XDG_DATA_HOME/Tolvane" "$tmp/tmp"
  export TMPDIR="$tmp/tmp"
  printf '[audio]\ndriver=1\nindev=Default Device\noutdev=Default Device\nin1=1\nin2=2\nout1=1\nout2=2\nbuffer=512\nsr=44100\n[midi]\nindev=%s\noutdev=%s\ninchan=0\noutchan=0\n[GUI]\nscale=0.500000\n' \
    "$sim_in" "$sim_out" >"$XDG_DATA_HOME/Tolvane/settings.ini"
  "$bin/tolvane" >"$tmp/stdout" 2>"$tmp/stderr" &
  app_pid=$!
  win=$(timeout 20 xdotool search --sync --onlyvisible --name '^Tolvane$' | head -1)
  [ -n "$win" ] || fail "no window"
  # The canvas (960 x 600 at the half scale the settings keep) fills the window below
  # the menu bar.
  local X Y WIDTH HEIGHT SCREEN WINDOW
  eval "$(xdotool getwindowgeometry --shell "$win")"
  cx=$X
  cy=$((Y + HEIGHT - 600))
}

bb_start_all() {
  bb_start_x
  bb_start_jack
  bb_start_sim
  bb_start_app
}

# The link is quiet when the pedal neither receives nor sends for a second
# and no bulk transfer is open.
link_quiet() {
  local a b
  a=$(sim_say status | sed 's/ pending=.*//')
  sleep 1
  b=$(sim_say status | sed 's/ pending=.*//')
  [ "$a" = "$b" ] && [[ "$b" == *" bulk=closed "* ]]
}

# backup_shape FILE: one letter per message of a backup file: P preset dump,
# S / d / E start, data and end of an IR stream, X anything else.
backup_shape() {
  od -An -v -tu1 -w1 "$1" | awk '
    $1 == 240 { pos = 0; next }
    { pos++ }
    pos == 5 { printf "%s", ($1 == 65 ? "P" : $1 == 96 ? "S" : $1 == 101 ? "d" : $1 == 102 ? "E" : "X") }'
}

# Canvas coordinates (1920 x 1200) to the screen.
at() { echo "$((cx + $1 / 2)) $((cy + $2 / 2))"; }
click_at() {
  local x y
  read -r x y <<<"$(at "$1" "$2")"
  xdotool mousemove "$x" "$y" click 1
}
shot() { import -window root "$out/$1.png"; }
pixels() { convert "$out/$1.png" rgb:- | md5sum | cut -d' ' -f1; }

no_thread_warning() {
  if grep -Ei 'thread|startTimer' "$tmp/stderr"; then fail "Qt thread warning after $1"; fi
}

# The program's windows other than the main one: its dialogs and boxes.
dialogs() { xdotool search --onlyvisible --pid "$app_pid" 2>/dev/null | grep -vx "$win"; }
dialog_count() { dialogs | wc -l; }
no_dialog() { [ "$(dialog_count)" = 0 ]; }
one_dialog() { [ "$(dialog_count)" = 1 ]; }
# one_box: a single message box is on show and stays: not a file dialog on
# its way out (it keeps its window for a moment after it was answered), and
# the same window half a second later.
one_box() {
  local d
  d=$(dialogs)
  [ -n "$d" ] && [ "$(wc -l <<<"$d")" = 1 ] || return 1
  xdotool getwindowname "$d" 2>/dev/null | grep -qE '^(Open|Save As)$' && return 1
  sleep 0.5
  [ "$(dialogs)" = "$d" ]
}

# answer_file_dialog PATH: waits for the Qt file dialog, types the path into
# its name field as a user does and accepts it. A dialog that is still
# filling its folder view can miss the first keys; then the path is typed
# again over whatever the field holds.
answer_file_dialog() {
  until_true 15 has_file_dialog || fail "no file dialog opened for $1"
  local d attempt
  for attempt in 1 2 3; do
    d=$(file_dialog)
    [ -n "$d" ] || return 0
    sleep 0.5
    xdotool windowfocus --sync "$d"
    xdotool key --clearmodifiers ctrl+a
    xdotool type --delay 20 "$1"
    xdotool key Return
    until_true 5 no_file_dialog && return 0
  done
  fail "the file dialog did not take $1"
}
file_dialog() { xdotool search --all --onlyvisible --pid "$app_pid" --name '^(Open|Save As)$' 2>/dev/null | head -1; }
has_file_dialog() { [ -n "$(file_dialog)" ]; }
no_file_dialog() { ! has_file_dialog; }

# box_size: the size of the message box on show ("WxH").
box_size() {
  local d WIDTH HEIGHT X Y SCREEN WINDOW
  d=$(dialogs | head -1)
  [ -n "$d" ] || return 1
  eval "$(xdotool getwindowgeometry --shell "$d")"
  echo "${WIDTH}x${HEIGHT}"
}

# dismiss_box: presses Return on the box on show and waits until that box is
# gone (another dialog may follow it at once).
dismiss_box() {
  local d
  d=$(dialogs | head -1)
  [ -n "$d" ] || fail "no message box to dismiss"
  xdotool windowfocus --sync "$d"
  xdotool key Return
  until_true 10 window_gone "$d" || fail "the message box stayed open"
}
window_gone() { ! dialogs | grep -qx "$1"; }

# repaints_and_reaches_pedal NAME: turns DRIVE a little; the window must
# repaint and the pedal must hear it. Turned up and down in turns, so that
# repeated checks never run into the end of the knob's travel.
drive_direction=1
repaints_and_reaches_pedal() {
  local before received x y d
  shot "$1-before"
  before=$(pixels "$1-before")
  received=$(sim_field received)
  read -r x y <<<"$(at 770 189)"
  xdotool mousemove "$x" "$y" mousedown 1
  for d in 4 8 12 16 20 24; do xdotool mousemove "$x" $((y - d * drive_direction)); sleep 0.05; done
  xdotool mouseup 1
  drive_direction=$((-drive_direction))
  until_true 10 screen_differs "$1" "$before" || fail "the window did not repaint after DRIVE was turned ($1)"
  until_true 10 pedal_received_more "$received" || fail "the pedal received nothing from DRIVE ($1)"
  no_thread_warning "$1"
}
screen_differs() { shot "$1"; [ "$(pixels "$1")" != "$2" ]; }
pedal_received_more() { [ "$(sim_field received)" -gt "$1" ]; }

# make_wav PATH FRAMES: a 16-bit mono 44 100 Hz WAV file of noise.
make_wav() {
  local bytes=$(($2 * 2))
  le32() { printf "\\x$(printf %02x $(($1 & 255)))\\x$(printf %02x $((($1 >> 8) & 255)))\\x$(printf %02x $((($1 >> 16) & 255)))\\x$(printf %02x $((($1 >> 24) & 255)))"; }
  {
    printf 'RIFF'; le32 $((36 + bytes)); printf 'WAVEfmt '
    le32 16; printf '\x01\x00\x01\x00'; le32 44100; le32 88200; printf '\x02\x00\x10\x00'
    printf 'data'; le32 "$bytes"
    head -c "$bytes" /dev/urandom
  } >"$1"
}
