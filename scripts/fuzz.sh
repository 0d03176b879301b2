#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time
# (TARNX_FUZZ_SECONDS, default 30) from its seed corpus.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TARNX_FUZZ_BUILD:-$root/build/fuzz}
seconds=${TARNX_FUZZ_SECONDS:-30}

[ -d "$root/tests/fuzz" ] || exit 0
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTARNX_FUZZ=ON -DTARNX_TESTS=ON -DTARNX_BENCH=OFF
cmake --build "$build" --target fuzz_targets
for target in "$build"/fuzz/fuzz_*; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  corpus=$(mktemp -d)
  seeds="$root/tests/fuzz/seeds/${name#fuzz_}"
  echo "fuzzing $name for ${seconds}s"
  "$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 "$corpus" \
    $( [ -d "$seeds" ] && echo "$seeds" ) 2>"$corpus/log" || { tail -50 "$corpus/log"; exit 1; }
  rm -rf "$corpus"
done
