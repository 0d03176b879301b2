#!/usr/bin/env bash
# Runs every program that opens the sound devices many times in a row and counts
# the runs that abort: each group of the sound test programs and of the
# end-to-end tests (the sanitized test build), and the release program's start
# and close (the release build's end-to-end test). Not part of the test command:
# it shows that no program dies in its exit, which one run in tens could.
#
#   scripts/exit-soak.sh [runs]     (default 200 runs of each)
#
# TARNX_TEST_BUILD and TARNX_RELEASE_BUILD name the builds (build/test and
# build/release, made by scripts/build-tests.sh and scripts/run.sh);
# TARNX_SOAK_JOBS runs that many at once (default 3), each with sound servers of
# its own, since the sound tests play into their sink and record it;
# TARNX_SOAK_ONLY (a regular expression) keeps the groups whose names match.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-200}
jobs=${TARNX_SOAK_JOBS:-3}
test_build=${TARNX_TEST_BUILD:-$root/build/test}
release_build=${TARNX_RELEASE_BUILD:-$root/build/release}

work=$(mktemp -d /tmp/tarnx-soak.XXXXXX)
echo "logs of failed runs: $work"

# One line per group: name, working directory, environment, command (fields
# parted by \x1e, the environment's and the command's items by \x1f).
list_groups() { # build, ctest name pattern, label
  ctest --test-dir "$1" --show-only=json-v1 -R "$2" | jq -r --arg prefix "$3" '
    .tests[] | [($prefix + .name),
      (.properties[] | select(.name == "WORKING_DIRECTORY") | .value),
      ([.properties[] | select(.name == "ENVIRONMENT") | .value[]] | join("\u001f")),
      (.command | join("\u001f"))] | join("\u001e")'
}
{
  # The groups of the programs that play into the shared sink (the sound tests,
  # the start-up's second phase, the program end to end) and the engine end to end.
  ctest --test-dir "$test_build" --show-only=json-v1 | jq -r '
    .tests[] | select(any(.properties[]; .name == "RESOURCE_LOCK" and (.value | index("pulse_null_sink"))))
    | .name' | sed 's/.*/^&$/' | paste -sd'|' | while read -r pattern; do
    list_groups "$test_build" "$pattern" ""
  done
  list_groups "$test_build" '^Engine(EndToEnd|Overload)$' ""
  if [ -d "$release_build" ]; then
    list_groups "$release_build" '^ProgramEndToEnd$' "release:"
  else
    echo "no release build in $release_build: the release program is left out" >&2
  fi
} | awk -F'\x1e' -v only="${TARNX_SOAK_ONLY:-.}" '$1 ~ only' >"$work/groups"
count=$(wc -l <"$work/groups")
echo "$count groups, $runs runs each, $jobs at a time"

# Every run of every group, in turns: a queue the workers take from.
for ((run = 1; run <= runs; run++)); do cat "$work/groups"; done >"$work/queue"
echo 0 >"$work/taken"
# The number of the next line of the queue to run, from 1; beyond it when all are taken.
take() {
  flock "$work/taken" bash -c 'n=$(($(cat "$0") + 1)); echo $n >"$0"; echo $n' "$work/taken"
}

# Takes runs from the queue until it is empty; one result line each.
worker() {
  local worker=$1 index line name dir env command rc
  source "$root/scripts/pulse-null-sink.sh"
  export QT_QPA_PLATFORM=offscreen
  while index=$(take) && line=$(sed -n "${index}p" "$work/queue") && [ -n "$line" ]; do
    IFS=$'\x1e' read -r name dir env command <<<"$line"
    local log="$work/$index.log" envs=() args=()
    IFS=$'\x1f' read -r -a envs <<<"$env"
    IFS=$'\x1f' read -r -a args <<<"$command"
    rc=0
    # A run that hangs is ended, and counted as failed.
    (cd "$dir" && exec timeout -k 30 1200 env "${envs[@]}" "${args[@]}") >"$log" 2>&1 || rc=$?
    local kind=passed
    if [ "$rc" -eq 134 ] || grep -q "Assertion .* failed at .*Aborting" "$log"; then
      kind=aborted
    elif [ "$rc" -ne 0 ]; then
      kind=failed
    fi
    echo "$name $kind $rc $index" >>"$work/results.$worker"
    if [ "$kind" = passed ]; then rm -f "$log"; fi
  done
}

pids=()
for ((w = 0; w < jobs; w++)); do
  worker "$w" &
  pids+=($!)
done
for pid in "${pids[@]}"; do wait "$pid"; done

cat "$work"/results.* >"$work/results"
# Per group: runs, aborted, failed otherwise.
awk '{ runs[$1]++; if ($2 == "aborted") aborted[$1]++; if ($2 == "failed") failed[$1]++ }
     END { for (n in runs) printf "%-36s %4d runs %3d aborted %3d failed\n", n, runs[n], aborted[n], failed[n] }' \
  "$work/results" | sort
aborted=$(grep -c ' aborted ' "$work/results" || true)
failed=$(grep -c ' failed ' "$work/results" || true)
echo "total: $(wc -l <"$work/results") runs, $aborted aborted, $failed failed otherwise"
[ "$aborted" -eq 0 ] && [ "$failed" -eq 0 ]
