#!/usr/bin/env bash
# The whole program from the keyboard alone, without one mouse event (the focus goes to each new
# window as a window manager would give it): during a game
# the commands' keys open nothing; after it Ctrl+R, F1 and Ctrl+T open スコアランキング, バージョン情報
# and 成績, Ctrl+S there exports the CSV through Qt's file dialog,
# Escape closes them, F10 and the arrows reach a command on the menu bar, and Ctrl+Q ends the
# program with status 0. Screenshots go to $E2E_SCREENSHOTS when it is set.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
. "$here/x11-session.sh"
trap e2e_cleanup EXIT

binary="$1"
shots="${E2E_SCREENSHOTS:-}"

gone() {  # gone NAME_REGEX: waits until no visible window has that name
  local deadline=$((SECONDS + 10))
  while xdotool search --onlyvisible --name "$1" >/dev/null 2>&1; do
    [ $SECONDS -lt $deadline ] || return 1
    sleep 0.2
  done
}
opens_nothing() {  # opens_nothing KEYS...: none of the program's other windows appears
  xdotool key "$@"
  sleep 1
  for name in '過去最高スコア$' 'バージョン情報' '^成績$'; do
    ! xdotool search --onlyvisible --name "$name" >/dev/null 2>&1 || e2e_fail "$* during a game opened $name"
  done
  kill -0 "$e2e_program_pid" 2>/dev/null || e2e_fail "$* during a game ended the program"
}

e2e_start_x
record="$(mktemp)"
printf '"abc"\r\n"999999999"\r\n' > "$record"  # any game beats it
e2e_start_program "$binary" "$record"
rm -f "$record"

e2e_focus "$e2e_main"
xdotool key Return
opens_nothing ctrl+r F1 ctrl+t F10 ctrl+q
e2e_play_new_record abc
gone '過去最高スコア$' || e2e_fail "the best-score window stayed open"
e2e_focus "$e2e_main"

xdotool key ctrl+r
best="$(e2e_wait_window '過去最高スコア$' 10)" || e2e_fail "Ctrl+R opened no best-score window"
e2e_focus "$best"
xdotool key Return
gone '過去最高スコア$' || e2e_fail "Enter did not close the best-score window"

e2e_focus "$e2e_main"
xdotool key F1
version="$(e2e_wait_window 'バージョン情報' 10)" || e2e_fail "F1 opened no version window"
e2e_focus "$version"
xdotool key Escape
gone 'バージョン情報' || e2e_fail "Escape did not close the version window"

e2e_focus "$e2e_main"
xdotool key ctrl+t
stats="$(e2e_wait_window '^成績$' 10)" || e2e_fail "Ctrl+T opened no results window"
e2e_focus "$stats"
csv="$e2e_dir/exported.csv"
deadline=$((SECONDS + 10))
dialog=""
while [ -z "$dialog" ] && [ $SECONDS -lt $deadline ]; do
  # The export waits for the history to be read.
  xdotool key ctrl+s
  dialog="$(e2e_wait_window '^CSV 書き出し$' 2)" || dialog=""
done
[ -n "$dialog" ] || e2e_fail "Ctrl+S opened no save dialog"
e2e_focus "$dialog"
sleep 0.5
[ -n "$shots" ] && e2e_screenshot "$shots/save-dialog-ja.png"
xdotool key ctrl+a
xdotool type --delay 10 "$csv"
xdotool key Return
deadline=$((SECONDS + 10))
until [ -s "$csv" ] || [ $SECONDS -ge $deadline ]; do sleep 0.2; done
[ -s "$csv" ] || e2e_fail "no CSV at $csv"
[ "$(grep -c . "$csv")" -ge 2 ] || e2e_fail "the CSV holds no game"
e2e_focus "$stats"
xdotool key Escape
gone '^成績$' || e2e_fail "Escape did not close the results window"

e2e_focus "$e2e_main"
xdotool key F10 Right Return
best="$(e2e_wait_window '過去最高スコア$' 10)" || e2e_fail "F10, Right and Enter did not reach スコアランキング"
e2e_focus "$best"
xdotool key Return
gone '過去最高スコア$' || e2e_fail "Enter did not close the best-score window"

e2e_focus "$e2e_main"
xdotool key ctrl+q
deadline=$((SECONDS + 10))
while kill -0 "$e2e_program_pid" 2>/dev/null && [ $SECONDS -lt $deadline ]; do sleep 0.2; done
kill -0 "$e2e_program_pid" 2>/dev/null && e2e_fail "Ctrl+Q did not end the program"
wait "$e2e_program_pid"
status=$?
e2e_program_pid=""
[ "$status" = 0 ] || e2e_fail "the program ended with status $status"
echo "e2e: 1 passed, 0 failed"
