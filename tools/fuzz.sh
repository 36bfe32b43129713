#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into build-fuzz/ and runs each for
# the given number of seconds (default 60), one after the other. Each target
# starts from the seeds the seed maker writes and the reproducers kept under
# fuzz/regressions/<target>/, and keeps what it learns in
# build-fuzz/corpus/<target>/. A crash leaves its input in
# build-fuzz/artifacts/<target>/ and makes the script fail.
#
#   tools/fuzz.sh [seconds] [target ...]     e.g. tools/fuzz.sh 600 fuzz_wav
#
# TOLVANE_FUZZ_RUNS=N ends a target after N executions when that comes before
# the time limit (a fast target reaches 10^7 in minutes).
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/deps.sh
tolvane_ensure_deps

seconds="${1:-60}"
shift || true
build=build-fuzz
if [ ! -f "$build/build.ninja" ]; then
  CC=clang-14 CXX=clang++-14 cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTOLVANE_FUZZ=ON -DTOLVANE_GUI=OFF -DTOLVANE_TESTS=OFF -DTOLVANE_BENCH=OFF >/dev/null
fi
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=(fuzz_link fuzz_router fuzz_wav fuzz_preset_file fuzz_backup fuzz_firmware fuzz_profile fuzz_sim_model
    fuzz_cache_folder fuzz_settings)
fi
cmake --build "$build" -j "$(nproc)" --target tolvane_fuzz_seeds "${targets[@]}"
"$build/bin/tolvane_fuzz_seeds" "$build/seeds" >/dev/null

failed=()
for t in "${targets[@]}"; do
  corpus="$build/corpus/$t"
  artifacts="$build/artifacts/$t"
  mkdir -p "$corpus" "$artifacts"
  inputs=("$corpus" "$build/seeds/$t")
  if [ -d "fuzz/regressions/$t" ]; then inputs+=("fuzz/regressions/$t"); fi
  log="$build/artifacts/$t.log"
  # The link's seeds are whole sessions of tens of kilobytes; it learns more
  # from many short streams (about 1 000 a second) than from few long ones.
  limit=()
  if [ "$t" = fuzz_link ]; then limit=(-max_len=4096); fi
  # A slow input (over 10 s) or one that needs more than 2 GB is a finding too.
  if "$build/bin/$t" -max_total_time="$seconds" -runs="${TOLVANE_FUZZ_RUNS:--1}" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
       "${limit[@]}" -artifact_prefix="$artifacts/" "${inputs[@]}" >"$log" 2>&1; then
    execs=$(grep -m1 'stat::number_of_executed_units' "$log" | awk '{print $2}')
    rate=$(grep -m1 'stat::average_exec_per_sec' "$log" | awk '{print $2}')
    echo "$t: ok, ${execs:-?} executions, ${rate:-?} per second"
  else
    echo "$t: FAILED (log: $log)"
    grep -m5 -E 'ERROR|runtime error|==[0-9]+==|Test unit written' "$log" || tail -20 "$log"
    failed+=("$t")
  fi
done
if [ ${#failed[@]} -ne 0 ]; then
  echo "fuzz targets that failed: ${failed[*]}"
  exit 1
fi
