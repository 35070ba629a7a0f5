#!/usr/bin/env bash
# How honest is the game's reaction time? Runs bench/reaction_accuracy on the real program under
# three loads: none, `stress-ng --cpu 8`, and a parallel build of this project beside the game.
# The program is the test-only zumikko_reaction_probe (the game with a view that prints its
# counters on stderr), built here with the benchmark in the normal build folder. Every process
# started here (the load, the benchmark's Xvfb and game) is ended when the script ends, also on
# Ctrl-C.
# Usage: reaction-accuracy.sh [games per condition, default 3]
# Environment: REACTION_BUILD_JOBS   jobs of the build that loads the machine (default 4)
#              REACTION_PROBE_JOBS   jobs for building the probe and the benchmark (default 3)
#              REACTION_BUILD        the build folder (default build)
set -uo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
games="${1:-3}"
jobs="${REACTION_BUILD_JOBS:-4}"
build="${REACTION_BUILD:-$root/build}"
bench="$build/bench/reaction_accuracy/reaction_accuracy"
program="$build/zumikko_reaction_probe"

load_pid=""
bench_pid=""
scratch=""
stop_load() {
  if [ -n "$load_pid" ]; then
    # The load runs in a session of its own: end its whole process group, then reap it.
    kill -TERM -- "-$load_pid" 2>/dev/null
    wait "$load_pid" 2>/dev/null
    kill -KILL -- "-$load_pid" 2>/dev/null
    load_pid=""
  fi
}
cleanup() {
  if [ -n "$bench_pid" ]; then kill -TERM "$bench_pid" 2>/dev/null; wait "$bench_pid" 2>/dev/null; fi
  stop_load
  [ -n "$scratch" ] && rm -rf "$scratch"
  return 0
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP

[ -f "$build/build.ninja" ] || [ -f "$build/Makefile" ] \
  || { echo "reaction-accuracy: configure $build first (bash scripts/build.sh)" >&2; exit 1; }
echo "reaction-accuracy: building the benchmark and the probe program in $build"
cmake --build "$build" --target reaction_accuracy zumikko_reaction_probe -j "${REACTION_PROBE_JOBS:-3}" >/dev/null \
  || exit 1

echo "reaction accuracy of $(git -C "$root" describe --always --dirty 2>/dev/null || echo 'this tree'), $games games per condition, $(date -u '+%Y-%m-%d %H:%M UTC')"
status=0
run() {
  # In the background, so that a signal to this script is handled at once, not after the games.
  "$bench" --games "$games" --label "$1" "$program" &
  bench_pid=$!
  wait "$bench_pid" || status=1
  bench_pid=""
}

run "no extra load"

setsid stress-ng --cpu 8 --quiet >/dev/null 2>&1 &
load_pid=$!
sleep 1
run "stress-ng --cpu 8"
stop_load

scratch="$(mktemp -d)"
# A full build of this project, over and over, for as long as the games last.
setsid bash -c 'cmake -S "$1" -B "$2" -G Ninja >/dev/null 2>&1 || exit 1
  while :; do cmake --build "$2" -j "$3" >/dev/null 2>&1; cmake --build "$2" --target clean >/dev/null 2>&1; done' \
  load "$root" "$scratch/build" "$jobs" &
load_pid=$!
for _ in $(seq 300); do [ -f "$scratch/build/build.ninja" ] && break; sleep 0.1; done
sleep 2
run "parallel build -j$jobs"
stop_load
exit $status
