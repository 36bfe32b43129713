#!/usr/bin/env bash
# Every figure of the performance table in one run, on this machine:
#   bench/run_all.sh [build-dir]
#
#   - full repaint of the main page at draw scale 1 and 0.5, and the repaint
#     after one step of a knob (its dirty area only): bench_pages, offscreen,
#     process CPU time, median of 9 repetitions;
#   - start to first paint under Xvfb with warm caches, the program's own
#     memory after the sync (Private_Clean + Private_Dirty), CPU while idle,
#     connected, window shown: integration/measure_program.sh;
#   - first sync of 128 presets at 512 frames and its ratio to the floor:
#     bench_link sync;
#   - pedal message to value on screen at 512 frames, under Xvfb: bench_screen;
#   - the floor under the idle figure, three JACK clients that do nothing at
#     512 frames: bench_jack_floor.
#
# The machine is shared and noisy: compare figures of one run as ratios.
# Private JACK servers are started and stopped here; the run holds the lock
# the JACK tests share, so it does not race them.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build}")
nice -n 5 cmake --build "$build" -j2 --target bench_pages bench_start bench_link bench_screen bench_jack_floor \
  tolvane velumo-sim >/dev/null

xvfb_pid="" jack_pid=""
cleanup() {
  for p in "$jack_pid" "$xvfb_pid"; do
    if [ -n "$p" ]; then kill "$p" 2>/dev/null || true; wait "$p" 2>/dev/null || true; fi
  done
}
trap cleanup EXIT INT TERM
export BENCH_DISPLAY="${BENCH_DISPLAY:-:$((50 + $$ % 200))}"
if [ ! -S "/tmp/.X11-unix/X${BENCH_DISPLAY#:}" ]; then
  Xvfb "$BENCH_DISPLAY" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 1 50); do [ -S "/tmp/.X11-unix/X${BENCH_DISPLAY#:}" ] && break; sleep 0.1; done
fi

exec 9>/tmp/tolvane-jack.lock
flock 9

echo "== repaints of the main page (offscreen; process CPU time, median of 9)"
QT_QPA_PLATFORM=offscreen "$build/bin/bench_pages" --benchmark_repetitions=9 \
  --benchmark_report_aggregates_only=true 2>/dev/null | grep -E '^(Benchmark|BM_.*_median)'
echo "== start, own memory and idle CPU of the program (Xvfb $BENCH_DISPLAY)"
bench/integration/measure_program.sh "$build" 10 xcb
echo "== first sync of 128 presets at 512 frames"
"$build/bin/bench_link" sync 3 512
echo "== pedal message to value on screen at 512 frames (Xvfb $BENCH_DISPLAY)"
DISPLAY="$BENCH_DISPLAY" QT_QPA_PLATFORM=xcb "$build/bin/bench_screen" 40 512 2>/dev/null
echo "== the floor under the idle figure: three JACK clients doing nothing, 512 frames"
floor_server="tolvane-floor-$$"
jackd -n "$floor_server" --no-realtime -d dummy -r 44100 -p 512 >/dev/null 2>&1 &
jack_pid=$!
jack_wait -s "$floor_server" -w -t 10 >/dev/null
JACK_DEFAULT_SERVER="$floor_server" JACK_NO_START_SERVER=1 "$build/bin/bench_jack_floor" 3 10 2>/dev/null
