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
if ! ls "$run"/EXTSDR_*.dll >/dev/null 2>&1 && [ -d "$build/fixtures" ]; then
  for lib in "$build"/fixtures/EXTSDR_Synthetic*.dll; do
    [ -e "$lib" ] && cp "$lib" "$run/"
  done
fi
cd "$run"
exec ./tarnx "$@"
