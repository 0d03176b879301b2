#!/usr/bin/env bash
# Installs what is missing and builds the program and its tests with
# AddressSanitizer and LeakSanitizer in build/test (or $TARNX_TEST_BUILD);
# arguments name the targets to build (all when none).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TARNX_TEST_BUILD:-$root/build/test}

bash "$root/scripts/setup-debian.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTARNX_SANITIZE=ON -DTARNX_TESTS=ON -DTARNX_BENCH=OFF
targets=()
for target in "$@"; do targets+=(--target "$target"); done
cmake --build "$build" "${targets[@]}"
