#!/usr/bin/env bash
# Refreshes the README's picture of the main window (docs/main-window.png): the
# end-to-end test runs the program on a private X server with the synthetic
# receiver, switches RX A on in AM, tunes it onto the AM carrier and, once the
# tone is heard, takes the window's picture.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TARNX_TEST_BUILD:-$root/build/test}

bash "$root/scripts/build-tests.sh" test_program

source "$root/scripts/pulse-null-sink.sh"
mkdir -p "$root/docs"
TARNX_SCREENSHOT="$root/docs/main-window.png" \
  "$build/tests/test_program" --gtest_filter='*ListensRecordsAndClosesAsAUserWould'
echo "written: $root/docs/main-window.png"
