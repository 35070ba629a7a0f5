#!/usr/bin/env bash
# Measures the real program under Xvfb: the time from launch to the main window being mapped
# (while the two MIDI files render in the background), over several launches; then the peak
# resident memory (VmHWM) of one process through a whole game.
# Usage: startup-and-memory.sh [path/to/zumikko] [launches]
set -uo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
binary="${1:-$root/build/zumikko}"
launches="${2:-10}"
. "$root/tests/e2e/x11-session.sh"
trap e2e_cleanup EXIT
e2e_start_x

dir="$(mktemp -d)"
cp "$binary" "$dir/zumikko"
for f in start.wav kaiten.wav bgm.mid goal.mid score.dat; do cp "$(dirname "$binary")/$f" "$dir/"; done

times=()
for _ in $(seq "$launches"); do
  start_ns=$(date +%s%N)
  SDL_AUDIODRIVER=dummy "$dir/zumikko" >/dev/null 2>&1 &
  pid=$!
  shown=""
  for _ in $(seq 2000); do
    if xdotool search --onlyvisible --name 'Zumikko' >/dev/null 2>&1; then shown=1; break; fi
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.005
  done
  end_ns=$(date +%s%N)
  kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null
  # Under a flood of connections Xvfb now and then refuses one; such a launch is not counted.
  [ -n "$shown" ] && times+=($(( (end_ns - start_ns) / 1000000 )))
done
launches=${#times[@]}
sorted=$(printf '%s\n' "${times[@]}" | sort -n)
echo "launch to main window shown, ms (${launches} launches): $(echo $sorted | tr '\n' ' ')"
echo "  median $(echo "$sorted" | sed -n "$(( (launches + 1) / 2 ))p") ms, max $(echo "$sorted" | tail -n1) ms"

e2e_start_program "$dir/zumikko"
e2e_focus "$e2e_main"
xdotool key Return
deadline=$((SECONDS + 240))
while [ $SECONDS -lt $deadline ]; do
  xdotool key --delay 4 a b c d e f g h i j k l m n o p q r s t u v w x y z
  xdotool search --onlyvisible --name 'おめでとう' >/dev/null 2>&1 && break
done
grep -E 'VmHWM|VmRSS' "/proc/$e2e_program_pid/status"
rm -rf "$dir"
