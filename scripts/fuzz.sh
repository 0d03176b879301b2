#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time
# (TARNX_FUZZ_SECONDS, default 30) from its seed corpus, as many at once as
# there are cores. The targets' own output (parsers that log what they refuse)
# is closed; each run's log is shown only when it fails, and its last figures
# (inputs tried, inputs per second) are printed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TARNX_FUZZ_BUILD:-$root/build/fuzz}
seconds=${TARNX_FUZZ_SECONDS:-30}
jobs=${TARNX_FUZZ_JOBS:-$(nproc)}

[ -d "$root/tests/fuzz" ] || exit 0
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTARNX_FUZZ=ON -DTARNX_TESTS=ON -DTARNX_BENCH=OFF
cmake --build "$build" --target fuzz_targets

logs=$(mktemp -d)
trap 'rm -rf "$logs"' EXIT

# Runs one target; its log goes to $logs/<name>.log, its status to <name>.rc.
fuzz_one() {
  local target=$1 name corpus seeds rc=0
  name=$(basename "$target")
  corpus=$(mktemp -d)
  seeds="$root/tests/fuzz/seeds/${name#fuzz_}"
  # A target may name leaks of third-party code to leave out (tests/fuzz/<name>.lsan.supp).
  local suppressions="$root/tests/fuzz/${name#fuzz_}.lsan.supp"
  # -close_fd_mask=1: the target's stdout is closed (its stderr, where
  # libFuzzer reports, stays).
  LSAN_OPTIONS=$( [ -f "$suppressions" ] && echo "suppressions=$suppressions" ) \
  "$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -close_fd_mask=1 \
    -print_final_stats=1 "$corpus" $( [ -d "$seeds" ] && echo "$seeds" ) \
    >"$logs/$name.log" 2>&1 || rc=$?
  rm -rf "$corpus"
  echo "$rc" >"$logs/$name.rc"
}

targets=()
for target in "$build"/fuzz/fuzz_*; do
  [ -x "$target" ] && targets+=("$target")
done
echo "fuzzing ${#targets[@]} targets for ${seconds}s each, $jobs at a time"
running=0
for target in "${targets[@]}"; do
  fuzz_one "$target" &
  running=$((running + 1))
  if [ "$running" -ge "$jobs" ]; then
    wait -n || true
    running=$((running - 1))
  fi
done
wait

failed=0
for target in "${targets[@]}"; do
  name=$(basename "$target")
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$logs/$name.log" | tail -1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$logs/$name.log" | tail -1)
  if [ "$(cat "$logs/$name.rc")" != 0 ]; then
    echo "$name FAILED:"
    tail -50 "$logs/$name.log"
    failed=1
  else
    echo "$name: ${runs:-?} inputs, ${rate:-?} inputs/s"
  fi
done
exit "$failed"
