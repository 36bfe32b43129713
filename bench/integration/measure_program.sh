#!/usr/bin/env bash
# Start-up, memory and idle CPU of the program, run by hand:
#   bench/integration/measure_program.sh [build-dir] [runs] [platform...]
# (runs 0: the idle and memory figures only)
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
#     (VmRSS), then its CPU time over 10 s (IDLE_SECONDS) of idling with the
#     window shown, as a share of one core. The time is the scheduler's own
#     count of nanoseconds run (/proc/PID/task/TID/schedstat), per thread and
#     summed; beside each thread, how often a second it woke up (voluntary
#     context switches).
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
  local rss seconds=${IDLE_SECONDS:-10}
  rss=$(awk '/^VmRSS/ {print $2}' "/proc/$prog_pid/status")
  thread_times >"$work/threads0"
  sleep "$seconds"
  thread_times >"$work/threads1"
  local shm own
  shm=$(awk '/^RssShmem/ {print $2}' "/proc/$prog_pid/status")
  own=$(awk '/^Private_(Clean|Dirty):/ {s += $2} END {print s}' "/proc/$prog_pid/smaps_rollup")
  awk -v rss="$rss" -v shm="$shm" -v own="$own" -v n="$(find "$presets" -name '*.dat' | wc -l)" 'BEGIN {
    printf "  own memory after sync (Private_Clean + Private_Dirty): %.1f MiB; presets cached: %d\n", own / 1024, n
    printf "  resident memory after sync: %.1f MiB (of it %.1f MiB shared memory)\n", rss / 1024, shm / 1024 }'
  # Threads alive at both looks; which of them spent it (the JACK clients'
  # own threads among them), and how often each woke up.
  join "$work/threads0" "$work/threads1" | awk -v s="$seconds" '
    { ns = $4 - $2; wakes = $5 - $3; total += ns
      if (ns > 0) line[++n] = sprintf("    %-24s %.3f %%  %6.1f wake-ups/s", $1, ns / 1e7 / s, wakes / s) }
    END { printf "  CPU while idle over %d s: %.2f %% of one core\n", s, total / 1e7 / s
          for (i = 1; i <= n; ++i) print line[i] }'
  kill -TERM "$prog_pid"; wait "$prog_pid" || true
  prog_pid=""
}

# Time run in ns and voluntary context switches of the program's threads:
# "tid:name ns switches", the user-interface thread marked "ui" (its tid is the
# process id), sorted for join.
thread_times() {
  for t in /proc/"$prog_pid"/task/*; do
    local tid name ns sw
    tid=${t##*/}
    name=$(tr ' ' _ <"$t/comm" 2>/dev/null) || continue
    ns=$(awk '{print $1}' "$t/schedstat" 2>/dev/null) || continue
    sw=$(awk '/^voluntary_ctxt_switches/ {print $2}' "$t/status" 2>/dev/null) || continue
    [ "$tid" = "$prog_pid" ] && tid=ui
    echo "$tid:$name $ns $sw"
  done | sort
}

for platform in "${platforms[@]}"; do
  echo "display: $platform"
  if [ "$runs" -gt 0 ]; then
    first_paint "$platform" >/dev/null # warm-up: caches, the data folder's first fill
    figures=()
    for _ in $(seq 1 "$runs"); do figures+=("$(first_paint "$platform")"); done
    printf '  start to first paint: median %s ms over %s runs (all: %s)\n' \
      "$(printf '%s\n' "${figures[@]}" | median)" "$runs" "${figures[*]}"
  fi
  rm -rf "$XDG_DATA_HOME/Tolvane/Presets"
  idle_figures "$platform"
done
