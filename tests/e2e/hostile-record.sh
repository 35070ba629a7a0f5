#!/usr/bin/env bash
# Starts the real program against hostile score.dat files and ends it with SIGTERM or SIGHUP:
# a FIFO must not hang start-up, a link to /dev/zero must not be read, markup must not be
# rendered or loaded; each time a message box appears at once beside a painted main window, and
# the signal ends the program with status 0 as its quit command does.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
. "$here/x11-session.sh"
trap e2e_cleanup EXIT

binary="$1"
shots="${E2E_SCREENSHOTS:-}"
e2e_start_x

# e2e_start_hostile NAME MAKE_COMMAND: like e2e_start_program, with score.dat made by the command
# (run inside the program's folder) instead of copied.
e2e_start_hostile() {
  e2e_dir="$(mktemp -d)"
  local source_dir
  source_dir="$(dirname "$binary")"
  cp "$binary" "$e2e_dir/zumikko"
  for f in start.wav kaiten.wav bgm.mid goal.mid; do
    [ -f "$source_dir/$f" ] && cp "$source_dir/$f" "$e2e_dir/"
  done
  (cd "$e2e_dir" && eval "$2") || e2e_fail "$1: cannot make score.dat"
  SDL_AUDIODRIVER=dummy "$e2e_dir/zumikko" >"$e2e_dir/stdout.log" 2>&1 &
  e2e_program_pid=$!
  e2e_main="$(e2e_wait_window '^Zumikko$' 20)" || e2e_fail "$1: the main window did not appear"
}

# Both the main window and the start-up message carry the program's name as their title.
wait_for_message() {
  local deadline=$((SECONDS + 10))
  while [ $SECONDS -lt $deadline ]; do
    [ "$(xdotool search --onlyvisible --name '^Zumikko$' 2>/dev/null | wc -l)" -ge 2 ] && return 0
    kill -0 "$e2e_program_pid" 2>/dev/null || return 1
    sleep 0.2
  done
  return 1
}

passed=0
# name | how score.dat is made | signal
cases=(
  "fifo|mkfifo score.dat|TERM"
  "dev-zero|ln -s /dev/zero score.dat|HUP"
  "markup|printf '\"x\"\\r\\n\"<img src=/dev/zero>\"\\r\\n' > score.dat|TERM"
  "fifty-megabytes|printf '\"x\"\\r\\n\"1\"\\r\\n' > score.dat && truncate -s 50M score.dat|HUP"
)
for entry in "${cases[@]}"; do
  IFS='|' read -r name make signal <<<"$entry"
  e2e_start_hostile "$name" "$make"
  wait_for_message || e2e_fail "$name: no message about score.dat at start-up"
  rss_kb="$(awk '/VmRSS/ {print $2}' "/proc/$e2e_program_pid/status")"
  [ "${rss_kb:-0}" -lt 400000 ] || e2e_fail "$name: the program holds ${rss_kb} kB"
  [ -n "$shots" ] && e2e_screenshot "$shots/hostile-$name.png"
  kill -s "$signal" "$e2e_program_pid"
  wait "$e2e_program_pid"
  status=$?
  [ "$status" -eq 0 ] || e2e_fail "$name: SIG$signal ended the program with status $status"
  e2e_program_pid=""
  echo "e2e: $name: message at start-up, ${rss_kb} kB, SIG$signal -> status 0"
  passed=$((passed + 1))
  [ -z "${E2E_KEEP:-}" ] && rm -rf "$e2e_dir"
done
echo "e2e: $passed passed, 0 failed"
