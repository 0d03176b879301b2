#!/usr/bin/env bash
# Builds the threaded tests (engine, sound, remote streams, map and GPS,
# receiver back-ends and serial link, end to end) with ThreadSanitizer in a
# second build and runs them once. Any report fails the run; tests/tsan.supp
# silences third-party code only.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TARNX_TSAN_BUILD:-$root/build/tsan}
programs=(test_engine test_sound test_srvlib test_map test_hardware test_e2e)

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTARNX_TSAN=ON -DTARNX_TESTS=ON -DTARNX_BENCH=OFF
# Only what these programs need (with the fixtures they load).
cmake --build "$build" --target "${programs[@]}" Synthetic

# Memory touched only inside libraries not built with ThreadSanitizer (Qt,
# PulseAudio, glibc) is not checked: their own locks are invisible to it. What
# our code reads and writes is, on either side of every report.
export TSAN_OPTIONS="suppressions=$root/tests/tsan.supp ignore_noninstrumented_modules=1 halt_on_error=0 exitcode=66 second_deadlock_stack=1 history_size=4"
export QT_QPA_PLATFORM=offscreen
[ -n "${PULSE_SERVER:-}" ] || source "$root/scripts/pulse-null-sink.sh"
# Tests of programs not built here are listed by CTest as *_NOT_BUILT.
ctest --test-dir "$build" --output-on-failure --timeout 600 -j "$(nproc)" -E '_NOT_BUILT$'
