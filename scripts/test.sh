#!/usr/bin/env bash
# Installs what is missing, builds the program and its tests with AddressSanitizer
# and LeakSanitizer, and runs the whole suite headless (offscreen Qt, a private
# PulseAudio null sink). Exits non-zero when anything fails.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TARNX_TEST_BUILD:-$root/build/test}

bash "$root/scripts/setup-debian.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTARNX_SANITIZE=ON -DTARNX_TESTS=ON -DTARNX_BENCH=OFF
cmake --build "$build"

source "$root/scripts/pulse-null-sink.sh"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build" --output-on-failure --timeout 300 -j "$(nproc)"

bash "$root/scripts/fuzz.sh"
