#!/usr/bin/env bash
# Idle CPU of the game at its title screen (marquee running, title blinking), per thread, over
# a window of SECONDS (30 by default), under a private Xvfb; then the same figure for every other
# program named on the command line, measured the same way in the same run, so that a peer can
# be compared on the same machine at the same moment.
#
# Usage: idle-cpu.sh [--seconds N] [path/to/zumikko] [-- peer command ...]...
#   e.g. idle-cpu.sh build/zumikko -- klavaro
# The audio driver is SDL's dummy one unless SDL_AUDIODRIVER is set (e.g. pulseaudio, pipewire).
# A peer that is not installed is skipped with a hint (klavaro: apt-get install klavaro).
set -uo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
seconds=30
if [ "${1:-}" = "--seconds" ]; then seconds="$2"; shift 2; fi
binary="$root/build/zumikko"
if [ $# -gt 0 ] && [ "$1" != "--" ]; then binary="$1"; shift; fi
. "$root/tests/e2e/x11-session.sh"
peer_pids=()
cleanup() { for p in "${peer_pids[@]}"; do kill "$p" 2>/dev/null; done; e2e_cleanup; }
trap cleanup EXIT
e2e_start_x

# The time each thread of PID has run, in nanoseconds (schedstat, finer than the clock ticks of
# stat): prints "tid comm ns" lines.
thread_ns() {
  local task tid comm ns
  for task in /proc/"$1"/task/*; do
    tid="${task##*/}"
    comm="$(cat "$task/comm" 2>/dev/null)" || continue
    ns="$(cut -d' ' -f1 "$task/schedstat" 2>/dev/null)" || continue
    echo "$tid ${comm// /_} $ns"
  done
}

# measure NAME PID: waits until the start-up work is over, then samples for $seconds.
measure() {
  local name="$1" pid="$2" before after
  # Start-up (loading, rendering music without a cache) is not rest: wait until three seconds
  # in a row cost under 2 % of a core, at most two minutes.
  local calm=0 t0 t1
  for _ in $(seq 120); do
    t0="$(thread_ns "$pid" | awk '{s += $3} END {printf "%.0f", s / 1e6}')"
    sleep 1
    t1="$(thread_ns "$pid" | awk '{s += $3} END {printf "%.0f", s / 1e6}')"
    if [ $(( t1 - t0 )) -lt 20 ]; then calm=$((calm + 1)); else calm=0; fi
    [ $calm -ge 3 ] && break
  done
  before="$(thread_ns "$pid")"
  sleep "$seconds"
  after="$(thread_ns "$pid")"
  echo "== $name (pid $pid), CPU over ${seconds} s, % of one core"
  join <(echo "$before" | sort -k1,1) <(echo "$after" | sort -k1,1) | awk -v s="$seconds" '
    { d = $5 - $3; total += d; if (d > 0) printf "  %-20s %6.3f %%\n", $2 " [" $1 "]", 100 * d / 1e9 / s }
    END { printf "  %-20s %6.3f %%\n", "whole process", 100 * total / 1e9 / s }'
  # Threads born during the window are counted too.
  join -v2 <(echo "$before" | sort -k1,1) <(echo "$after" | sort -k1,1) | awk -v s="$seconds" '
    { printf "  %-20s %6.3f %% (new thread)\n", $2 " [" $1 "]", 100 * $3 / 1e9 / s }'
}

export SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-dummy}"
e2e_start_program "$binary"
# e2e_start_program forces the dummy driver; restart with the chosen one when it differs.
if [ "$SDL_AUDIODRIVER" != dummy ]; then
  kill "$e2e_program_pid"; wait "$e2e_program_pid" 2>/dev/null
  "$e2e_dir/zumikko" >"$e2e_dir/stdout.log" 2>&1 &
  e2e_program_pid=$!
  e2e_wait_window 'Zumikko' 20 >/dev/null || e2e_fail "the main window did not appear"
fi
echo "audio driver: $SDL_AUDIODRIVER"
measure zumikko "$e2e_program_pid"

while [ $# -gt 0 ]; do
  [ "$1" = "--" ] && shift
  [ $# -gt 0 ] || break
  peer=()
  while [ $# -gt 0 ] && [ "$1" != "--" ]; do peer+=("$1"); shift; done
  if ! command -v "${peer[0]}" >/dev/null 2>&1; then
    echo "== ${peer[0]}: not installed, skipped (apt-get install ${peer[0]##*/})"
    continue
  fi
  "${peer[@]}" >/dev/null 2>&1 &
  peer_pids+=($!)
  measure "${peer[*]}" "$!"
done
