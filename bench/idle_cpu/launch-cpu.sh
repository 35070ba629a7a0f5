#!/usr/bin/env bash
# CPU a launch of the game spends from exec until it is at rest (three seconds in a row under 2 %
# of a core), under a private Xvfb and SDL's dummy audio driver: first with an empty music
# cache, then again with the cache the first launch left.
# Usage: launch-cpu.sh [path/to/zumikko] [launches per case]
set -uo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
binary="${1:-$root/build/zumikko}"
launches="${2:-3}"
. "$root/tests/e2e/x11-session.sh"
cache="$(mktemp -d)"
trap 'e2e_cleanup; rm -rf "$cache"' EXIT
e2e_start_x
hz=$(getconf CLK_TCK)

# The whole process's CPU in clock ticks: utime and stime of /proc/PID/stat count every thread
# it ever had, the music renderer's too once they have exited (summing the live threads'
# schedstat misses those), and cutime and cstime its children that were waited for.
process_ticks() { awk '{ line = $0; sub(/.*\) /, "", line); split(line, f, " "); print f[12] + f[13] + f[14] + f[15] }' "/proc/$1/stat"; }

# The live threads' run time in milliseconds, from schedstat: what a launch seems to cost when
# the threads that have ended are left out.
live_thread_ms() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ s += $1 } END { printf "%.0f", s / 1e6 }'; }

# Prints the CPU milliseconds of one launch once it is at rest.
one_launch() {
  local dir pid calm=0 t0 t1
  dir="$(mktemp -d)"
  cp "$binary" "$dir/zumikko"
  for f in start.wav kaiten.wav bgm.mid goal.mid score.dat; do cp "$(dirname "$binary")/$f" "$dir/"; done
  XDG_CACHE_HOME="$cache" SDL_AUDIODRIVER=dummy "$dir/zumikko" >/dev/null 2>&1 &
  pid=$!
  for _ in $(seq 240); do
    t0=$(process_ticks "$pid")
    sleep 1
    t1=$(process_ticks "$pid")
    if [ $(( (t1 - t0) * 100 )) -lt $(( hz * 2 )) ]; then calm=$((calm + 1)); else calm=0; fi
    [ $calm -ge 3 ] && break
  done
  # The calm seconds before are rest, not launch (the last sample is taken at their start).
  echo "$(( (t0 * 1000 / hz) ))/$(live_thread_ms "$pid")"
  kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null
  rm -rf "$dir"
}

for case in "first launch (empty cache)" "later launch (cache filled)"; do
  figures=()
  for _ in $(seq "$launches"); do
    [ "$case" = "first launch (empty cache)" ] && rm -rf "${cache:?}"/*
    figures+=("$(one_launch)")
  done
  echo "$case: CPU ms from exec to rest, whole process / live threads only: ${figures[*]}"
done
ls -l "$cache/zumikko" 2>/dev/null || echo "(no cache entries written)"
