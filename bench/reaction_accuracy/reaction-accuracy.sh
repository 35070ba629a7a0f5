#!/usr/bin/env bash
# How honest is the game's reaction time? Runs bench/reaction_accuracy on the real program under
# three loads: none, `stress-ng --cpu 8`, and a parallel build of this project beside the game.
# The program is the test-only probe variant (ZUMIKKO_REACTION_PROBE), built here in a build
# folder of its own; the benchmark comes from the normal build. Every process started here (the
# load, the benchmark's Xvfb and game) is ended when the script ends, also on Ctrl-C.
# Usage: reaction-accuracy.sh [games per condition, default 3]
# Environment: REACTION_BUILD_JOBS   jobs of the build that loads the machine (default 4)
#              REACTION_PROBE_JOBS   jobs for building the probe variant (default 3)
#              REACTION_SOURCE       the source tree of the program measured (default this one)
#              REACTION_PROBE_BUILD  its build folder (default build/reaction-probe)
#              REACTION_BENCH        the benchmark (default build/bench/reaction_accuracy/reaction_accuracy)
set -uo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
games="${1:-3}"
jobs="${REACTION_BUILD_JOBS:-4}"
source="${REACTION_SOURCE:-$root}"
probe_build="${REACTION_PROBE_BUILD:-$root/build/reaction-probe}"
bench="${REACTION_BENCH:-$root/build/bench/reaction_accuracy/reaction_accuracy}"

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

[ -x "$bench" ] || { echo "reaction-accuracy: build the benchmark first: cmake --build build --target reaction_accuracy" >&2; exit 1; }
echo "reaction-accuracy: building the probe variant in $probe_build"
cmake -S "$source" -B "$probe_build" -G Ninja -DZUMIKKO_REACTION_PROBE=ON -DZUMIKKO_BUILD_TESTS=OFF \
  -DZUMIKKO_BUILD_BENCH=OFF -DZUMIKKO_BUILD_TOOLS=OFF >/dev/null || exit 1
cmake --build "$probe_build" --target zumikko -j "${REACTION_PROBE_JOBS:-3}" >/dev/null || exit 1
program="$probe_build/zumikko"

echo "reaction accuracy of $(git -C "$source" describe --always --dirty 2>/dev/null || echo 'this tree'), $games games per condition, $(date -u '+%Y-%m-%d %H:%M UTC')"
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
