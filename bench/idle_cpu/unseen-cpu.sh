#!/usr/bin/env bash
# Wake-ups and CPU of the game at its title screen while it can be seen and while it cannot:
# minimized, on another workspace, wholly covered by another window; then the bare Qt marquee
# (marquee_floor) seen, in the same run, under openbox on a private Xvfb. A wake-up is a
# context switch of any thread (voluntary and not, from /proc/PID/task/*/status); CPU is the
# threads' run time from schedstat. Each case waits until the change has settled, then
# measures for SECONDS (30 by default).
# Usage: unseen-cpu.sh [--seconds N] [path/to/zumikko] [path/to/marquee_floor]
set -uo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
seconds=30
if [ "${1:-}" = "--seconds" ]; then seconds="$2"; shift 2; fi
binary="${1:-$root/build/zumikko}"
floor="${2:-$(dirname "$binary")/bench/idle_cpu/marquee_floor}"
command -v openbox >/dev/null || { echo "openbox is not installed (bash scripts/install-deps.sh)"; exit 1; }
. "$root/tests/e2e/x11-session.sh"
others=()
cleanup() { for p in "${others[@]}"; do kill "$p" 2>/dev/null; done; e2e_cleanup; }
trap cleanup EXIT
e2e_start_x
openbox --sm-disable >/dev/null 2>&1 &
others+=($!)
for _ in $(seq 100); do xdotool get_num_desktops >/dev/null 2>&1 && break; sleep 0.1; done
xdotool set_num_desktops 2

# "switches ns" summed over the threads of PID.
sample() {
  local task switches=0 ns=0 v n t
  for task in /proc/"$1"/task/*; do
    v="$(awk '/^voluntary_ctxt_switches/ {print $2}' "$task/status" 2>/dev/null)" || continue
    n="$(awk '/^nonvoluntary_ctxt_switches/ {print $2}' "$task/status" 2>/dev/null)" || continue
    t="$(cut -d' ' -f1 "$task/schedstat" 2>/dev/null)" || continue
    switches=$((switches + ${v:-0} + ${n:-0}))
    ns=$((ns + ${t:-0}))
  done
  echo "$switches $ns"
}

# measure LABEL PID: settles for three seconds, then measures.
measure() {
  local before after
  sleep 3
  before="$(sample "$2")"
  sleep "$seconds"
  after="$(sample "$2")"
  echo "$before $after" | awk -v s="$seconds" -v label="$1" '
    { printf "  %-34s %7.2f wake-ups/s  %7.4f %% of a core\n", label, ($3 - $1) / s, 100 * ($4 - $2) / 1e9 / s }'
}

# Start-up (music rendering without a cache) is not rest: wait until three seconds in a row
# cost under 2 % of a core, at most two minutes.
settle() {
  local calm=0 a b
  for _ in $(seq 120); do
    a="$(sample "$1" | cut -d' ' -f2)"; sleep 1; b="$(sample "$1" | cut -d' ' -f2)"
    if [ $(( (b - a) / 1000000 )) -lt 20 ]; then calm=$((calm + 1)); else calm=0; fi
    [ $calm -ge 3 ] && break
  done
}

e2e_start_program "$binary"
pid="$e2e_program_pid"
settle "$pid"
echo "== zumikko (pid $pid), over ${seconds} s each"
measure "seen" "$pid"
xdotool windowminimize --sync "$e2e_main"
measure "minimized" "$pid"
xdotool windowactivate --sync "$e2e_main" 2>/dev/null || xdotool windowmap --sync "$e2e_main"
measure "seen again" "$pid"
xdotool set_desktop 1
measure "on another workspace" "$pid"
xdotool set_desktop 0
sleep 1
xlogo -geometry 1024x768+0+0 >/dev/null 2>&1 &
others+=($!)
measure "covered by a window (xlogo)" "$pid"
kill "${others[-1]}" 2>/dev/null
measure "uncovered" "$pid"
kill "$pid"; wait "$pid" 2>/dev/null

if [ -x "$floor" ]; then
  "$floor" >/dev/null 2>&1 &
  others+=($!)
  settle "$!"
  echo "== marquee_floor (pid $!), over ${seconds} s"
  measure "seen" "$!"
else
  echo "== marquee_floor: not built ($floor)"
fi
