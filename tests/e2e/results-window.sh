#!/usr/bin/env bash
# Plays two whole games in the real program, each against a record of 0 so that each ends in the
# name entry and its score reaches score.dat; then opens 成績 and checks that the history holds
# both games, twenty stops, and the very scores the game counted.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
. "$here/x11-session.sh"
trap e2e_cleanup EXIT

binary="$1"
shots="${E2E_SCREENSHOTS:-}"
score_of() { LC_ALL=C sed -n '2s/^"\([0-9]*\)"\r$/\1/p' "$e2e_dir/score.dat"; }

e2e_start_x
e2e_start_program "$binary"
history="$e2e_dir/history.sqlite3"

e2e_play_new_record abc
scores=()
for round in 1 2; do
  deadline=$((SECONDS + 10))
  while [ $SECONDS -lt $deadline ] && ! LC_ALL=C grep -qa '^"abc"' "$e2e_dir/score.dat"; do sleep 0.2; done
  scores+=("$(score_of)")
  [ -n "${scores[-1]}" ] || e2e_fail "score.dat holds no score after game $round"
  if [ $round -eq 1 ]; then
    # The record is read again at the end of each game: 0 makes the second game a record too.
    printf '""\r\n"0"\r\n' > "$e2e_dir/score.dat"
    e2e_play_new_record abc
  fi
done
echo "e2e: the games scored ${scores[*]}"

games="$(sqlite3 "$history" 'SELECT count(*) FROM games')"
stops="$(sqlite3 "$history" 'SELECT count(*) FROM stops')"
[ "$games" = 2 ] || e2e_fail "the history holds $games games"
[ "$stops" = 20 ] || e2e_fail "the history holds $stops stops"
stored="$(sqlite3 "$history" 'SELECT group_concat(score, " ") FROM (SELECT score FROM games ORDER BY id)')"
[ "$stored" = "${scores[*]}" ] || e2e_fail "the history holds the scores $stored, the game counted ${scores[*]}"
[ "$(sqlite3 "$history" 'SELECT count(*) FROM games g WHERE misses <> (SELECT sum(wrong_keys) FROM stops s WHERE s.game_id = g.id)')" = 0 ] \
  || e2e_fail "the misses of a game differ from its stops' wrong keys"
[ "$(sqlite3 "$history" 'PRAGMA integrity_check')" = ok ] || e2e_fail "the history is damaged"

# The menu bar's fourth command, after バージョン情報.
e2e_focus "$e2e_main"
xdotool mousemove --window "$e2e_main" 248 8 click 1
stats="$(e2e_wait_window '^成績$' 10)" || e2e_fail "the results window did not open"
sleep 1
[ -n "$shots" ] && e2e_screenshot "$shots/results.png"
kill -0 "$e2e_program_pid" || e2e_fail "the program ended"
echo "e2e: 1 passed, 0 failed"
