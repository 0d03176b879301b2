#!/usr/bin/env bash
# Installs what is missing, builds the program in release mode, prepares its
# working directory (build/release/run: logs/, record/, the translation file and
# the synthetic receiver driver when no other driver is there) and starts it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TARNX_RELEASE_BUILD:-$root/build/release}

bash "$root/scripts/setup-debian.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTARNX_TESTS=ON -DTARNX_BENCH=ON
cmake --build "$build"

run="$build/run"
mkdir -p "$run/logs" "$run/record" "$run/conf" "$run/db"
# The synthetic receiver stands in when no real driver is there (not its test variants).
if ! ls "$run"/EXTSDR_*.dll >/dev/null 2>&1 && [ -e "$build/fixtures/EXTSDR_Synthetic.dll" ]; then
  cp "$build/fixtures/EXTSDR_Synthetic.dll" "$run/"
fi
cd "$run"
exec ./tarnx "$@"
