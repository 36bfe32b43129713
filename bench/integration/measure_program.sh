#!/usr/bin/env bash
# Start-up, memory and idle CPU of the program, run by hand:
#   bench/integration/measure_program.sh [build-dir] [runs] [platform...]
# Needs the targets bench_start, tolvane and velumo-sim built in build-dir.
#
# For each display platform given (default: offscreen, then xcb, a real X
# server: the one of BENCH_DISPLAY when it runs, else a private Xvfb):
#   - start to first paint: the median over [runs] (default 10) launches of
#     bench_start, the program's own start-up path, from just before the launch
#     to the end of the editor's first paint (after one warm-up launch);
#   - the real program connected to the simulator, once it has synchronised
#     the 128 presets: its own memory (Private_Clean + Private_Dirty of
#     /proc/PID/smaps_rollup: what no other process shares, so not JACK's
#     shared memory nor the libraries' clean pages) beside the resident memory
#     (VmRSS), then its CPU time over 10 s of idling with the window shown, as
#     a share of one core.
# A private JACK dummy server (44100 Hz, 512 frames) is the audio clock and
# carries the MIDI; everything started here is stopped at the end.
set -euo pipefail
cd "$(dirname "$0")/../.."
build=$(realpath "${1:-build}")
runs=${2:-10}
shift $(($# > 2 ? 2 : $#))
platforms=("$@")
[ ${#platforms[@]} -gt 0 ] || platforms=(offscreen xcb)
for t in bench_start tolvane velumo-sim; do
  [ -x "$build/bin/$t" ] || { echo "missing $build/bin/$t"; exit 1; }
done

work=$(mktemp -d)
jack_name="tolvane-measure-$$"
jack_pid="" sim_pid="" xvfb_pid="" prog_pid=""
cleanup() {
  for p in "$prog_pid" "$sim_pid" "$xvfb_pid" "$jack_pid"; do
    if [ -n "$p" ]; then kill "$p" 2>/dev/null || true; wait "$p" 2>/dev/null || true; fi
  done
  exec 3>&- 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT INT TERM

jackd -n "$jack_name" --no-realtime -d dummy -r 44100 -p 512 >"$work/jackd.log" 2>&1 &
jack_pid=$!
export JACK_DEFAULT_SERVER="$jack_name" JACK_NO_START_SERVER=1
jack_wait -s "$jack_name" -w -t 10 >/dev/null

export XDG_DATA_HOME="$work/data" TMPDIR="$work/tmp"
mkdir -p "$XDG_DATA_HOME/Tolvane" "$TMPDIR"

# The simulator reads commands from a pipe held open until the end.
mkfifo "$work/sim.in"
exec 3<>"$work/sim.in"
"$build/bin/velumo-sim" --fresh <"$work/sim.in" >"$work/sim.out" 2>&1 &
sim_pid=$!
for _ in $(seq 1 100); do grep -q '^ready' "$work/sim.out" && break; sleep 0.1; done
ready=$(grep -m1 '^ready' "$work/sim.out")
sim_in=$(sed -n 's/.* in="\([^"]*\)".*/\1/p' <<<"$ready")
sim_out=$(sed -n 's/.* out="\([^"]*\)".*/\1/p' <<<"$ready")
printf '[audio]\ndriver=1\nindev=Default Device\noutdev=Default Device\nin1=1\nin2=2\nout1=1\nout2=2\nbuffer=512\nsr=44100\n[midi]\nindev=%s\noutdev=%s\ninchan=0\noutchan=0\n' \
  "$sim_in" "$sim_out" >"$XDG_DATA_HOME/Tolvane/settings.ini"

display="${BENCH_DISPLAY:-:$((50 + $$ % 200))}"
if [ ! -S "/tmp/.X11-unix/X${display#:}" ]; then
  Xvfb "$display" -screen 0 1920x1080x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 1 50); do [ -S "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.1; done
fi
export DISPLAY="$display"

median() { sort -n | awk '{a[NR]=$1} END {if (NR%2) print a[(NR+1)/2]; else printf "%.1f\n", (a[NR/2]+a[NR/2+1])/2}'; }

first_paint() { # platform -> one figure in ms
  local t0 out
  t0=$(date +%s%N)
  out=$(TOLVANE_BENCH_T0=$t0 QT_QPA_PLATFORM=$1 "$build/bin/bench_start" 2>>"$work/start.err")
  sed -n 's/^painted //p' <<<"$out"
}

idle_figures() { # platform
  local presets="$XDG_DATA_HOME/Tolvane/Presets"
  QT_QPA_PLATFORM=$1 "$build/bin/tolvane" 2>>"$work/prog.err" &
  prog_pid=$!
  # Connected and synchronised: identification after about 3.3 s, then the load.
  for _ in $(seq 1 200); do
    [ "$(find "$presets" -name '*.dat' 2>/dev/null | wc -l)" -ge 128 ] && break
    sleep 0.1
  done
  sleep 2
  local rss ticks0 ticks1 hz
  rss=$(awk '/^VmRSS/ {print $2}' "/proc/$prog_pid/status")
  hz=$(getconf CLK_TCK)
  ticks0=$(awk '{print $14 + $15}' "/proc/$prog_pid/stat")
  thread_ticks >"$work/threads0"
  sleep 10
  ticks1=$(awk '{print $14 + $15}' "/proc/$prog_pid/stat")
  thread_ticks >"$work/threads1"
  local shm own
  shm=$(awk '/^RssShmem/ {print $2}' "/proc/$prog_pid/status")
  own=$(awk '/^Private_(Clean|Dirty):/ {s += $2} END {print s}' "/proc/$prog_pid/smaps_rollup")
  awk -v rss="$rss" -v shm="$shm" -v own="$own" -v n="$(find "$presets" -name '*.dat' | wc -l)" 'BEGIN {
    printf "  own memory after sync (Private_Clean + Private_Dirty): %.1f MiB; presets cached: %d\n", own / 1024, n
    printf "  resident memory after sync: %.1f MiB (of it %.1f MiB shared memory)\n", rss / 1024, shm / 1024 }'
  awk -v d="$((ticks1 - ticks0))" -v hz="$hz" 'BEGIN {
    printf "  CPU while idle over 10 s: %.1f %% of one core (%d ticks of 1/%d s)\n", d * 100 / (hz * 10), d, hz }'
  # Which threads spent it (the JACK clients' own threads among them).
  join -a 2 -e 0 -o 0,1.2,2.2 "$work/threads0" "$work/threads1" | awk -v hz="$hz" '$3 > $2 {
    printf "    %-24s %.2f %%\n", $1, ($3 - $2) * 100 / (hz * 10) }'
  kill -TERM "$prog_pid"; wait "$prog_pid" || true
  prog_pid=""
}

# CPU ticks of the program's threads: "tid:name ticks", the user-interface
# thread marked "ui" (its tid is the process id), sorted for join.
thread_ticks() {
  for t in /proc/"$prog_pid"/task/*; do
    # The name is in parentheses and may hold spaces; the times follow it.
    sed -E 's/^([0-9]+) \((.*)\) (.*)$/\1\t\2\t\3/' "$t/stat" 2>/dev/null |
      awk -F'\t' -v pid="$prog_pid" '{split($3, f, " "); n = $2; gsub(/ /, "_", n)
        print ($1 == pid ? "ui" : $1) ":" n, f[12] + f[13]}'
  done | sort
}

for platform in "${platforms[@]}"; do
  echo "display: $platform"
  first_paint "$platform" >/dev/null # warm-up: caches, the data folder's first fill
  figures=()
  for _ in $(seq 1 "$runs"); do figures+=("$(first_paint "$platform")"); done
  printf '  start to first paint: median %s ms over %s runs (all: %s)\n' \
    "$(printf '%s\n' "${figures[@]}" | median)" "$runs" "${figures[*]}"
  rm -rf "$XDG_DATA_HOME/Tolvane/Presets"
  idle_figures "$platform"
done
