#!/usr/bin/env bash
# Installs what is missing, builds the program and its tests with AddressSanitizer
# and LeakSanitizer, and runs the whole suite headless (offscreen Qt, a private
# PulseAudio null sink); then the threaded tests once more under ThreadSanitizer
# (scripts/tsan.sh), then the fuzzers. Exits non-zero when anything fails.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TARNX_TEST_BUILD:-$root/build/test}

bash "$root/scripts/build-tests.sh"

source "$root/scripts/pulse-null-sink.sh"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build" --output-on-failure --timeout 300 -j "$(nproc)"

bash "$root/scripts/tsan.sh"

bash "$root/scripts/fuzz.sh"
