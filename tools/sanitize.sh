#!/usr/bin/env bash
# The sanitizer tiers of CI, built with clang (so CI also proves that the
# project builds with clang, warnings as errors), benchmarks left out:
#   build-asan/  AddressSanitizer + UndefinedBehaviorSanitizer: everything,
#                and every test that needs no JACK server;
#   build-tsan/  ThreadSanitizer: the link and UI tests (the link's include
#                the three-thread stress test).
# Then the tests that start a JACK server (host, integration, simulator
# program, black box; TSan: host and integration; the PipeWire tier is left
# to ./test.sh), one at a time under /tmp/tolvane-jack.lock, against servers
# in synchronous mode: a sanitizer stops a thread for a moment at its first
# report, and an asynchronous server would drop that client's MIDI for the
# cycle it misses.
# TOLVANE_SANITIZE_JACK=0 leaves them out.
#
#   tools/sanitize.sh [asan] [tsan]      (both when none is named)
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/deps.sh
tolvane_ensure_deps

tiers=("$@")
if [ ${#tiers[@]} -eq 0 ]; then tiers=(asan tsan); fi
jobs="$(nproc)"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export LSAN_OPTIONS="suppressions=$PWD/tools/lsan.supp"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
# The suppressions cover only the system libraries' own reports (see the
# file for the reasons); halt_on_error makes any other report fail its test.
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$PWD/tools/tsan.supp"
export TOLVANE_TEST_JACK_SYNC=1

# configure dir cmake-options...
configure() {
  local dir="$1"
  shift
  if [ ! -f "$dir/build.ninja" ]; then
    CC=clang-14 CXX=clang++-14 cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DTOLVANE_BENCH=OFF "$@" >/dev/null
  fi
}

# The pedal the JACK tests talk to is the plain build's simulator when there is
# one (./test.sh makes it): only the program under test pays for the
# instrumentation, so the pedal answers at its own pace.
if [ -f build/build.ninja ]; then
  cmake --build build --target velumo-sim >/dev/null
  export TOLVANE_TEST_SIMULATOR="$PWD/build/bin/velumo-sim"
fi

# The labels of the tests that start a JACK server. The PipeWire tier
# (label pipewire) is left to ./test.sh: it runs the plain build's JACK tests
# again against PipeWire, and the programs it needs are not all built here.
jack='^(host|integration|sim_program|blackbox)$'
not_here='^(host|integration|sim_program|blackbox|pipewire)$'

# run_tests dir [ctest label options...]: the tests without JACK in parallel,
# then those with JACK under the lock.
run_tests() {
  local dir="$1"
  shift
  (cd "$dir" && ctest --output-on-failure -j "$jobs" --timeout 900 -LE "$not_here" "$@")
  if [ "${TOLVANE_SANITIZE_JACK:-1}" = 1 ]; then
    (cd "$dir" && flock /tmp/tolvane-jack.lock ctest --output-on-failure --timeout 900 -L "$jack" "$@")
  fi
}

for tier in "${tiers[@]}"; do
  SECONDS=0
  case "$tier" in
  asan)
    configure build-asan -DTOLVANE_SANITIZE=ON
    cmake --build build-asan -j "$jobs"
    echo "sanitize: asan build ${SECONDS}s"
    run_tests build-asan
    ;;
  tsan)
    configure build-tsan -DTOLVANE_TSAN=ON
    targets=(test_link test_ui)
    if [ "${TOLVANE_SANITIZE_JACK:-1}" = 1 ]; then targets+=(test_host test_integration velumo-sim tolvane); fi
    cmake --build build-tsan -j "$jobs" --target "${targets[@]}"
    echo "sanitize: tsan build ${SECONDS}s"
    run_tests build-tsan -L '^(link|ui|host|integration)$'
    ;;
  *)
    echo "unknown tier: $tier" >&2
    exit 2
    ;;
  esac
  echo "sanitize: $tier tier ${SECONDS}s"
done
