#!/usr/bin/env bash
# Screenshots of the game's four windows with one font setup, for looking at whole texts:
#   scripts/window-screenshots.sh OUT_DIR [FONTCONFIG_FILE] [SCALE] [PLAY]
# FONTCONFIG_FILE limits the fonts the program sees (build/tests/fonts-*-only.conf list one
# Japanese font each); SCALE is QT_SCALE_FACTOR (1 when left out). The main window, the
# version window and the best-score window are always taken; with PLAY=play a game is played
# to a new record for the name-entry window as well (a minute or more).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="$(realpath -m "$1")"
fonts="${2:-}"
scale="${3:-1}"
play="${4:-}"
. "$root/tests/e2e/x11-session.sh"
trap e2e_cleanup EXIT
mkdir -p "$out"
[ -n "$fonts" ] && export FONTCONFIG_FILE="$(realpath "$fonts")"
export QT_SCALE_FACTOR="$scale"

# Clicks the menu bar of the main window at a point given in unscaled client pixels; the
# menu bar is the top 20 pixels or so of the window.
click_menu() {
  local x y
  eval "$(xdotool getwindowgeometry --shell "$e2e_main")"
  x=$(awk -v x="$X" -v d="$1" -v s="$scale" 'BEGIN { printf "%d", x + d * s }')
  y=$(awk -v y="$Y" -v s="$scale" 'BEGIN { printf "%d", y + 9 * s }')
  xdotool mousemove "$x" "$y" click 1
}

shot() { sleep 0.5; /usr/bin/import -window "$1" "$out/$2.png"; echo "screenshot: $out/$2.png"; }

e2e_start_x
e2e_start_program "$root/build/zumikko"
e2e_focus "$e2e_main"
shot "$e2e_main" main

# The menu's items: 終了, スコアランキング, バージョン情報, from left to right.
click_menu 200
version="$(e2e_wait_window 'バージョン情報' 10)" || e2e_fail "the version window did not open"
shot "$version" version
e2e_focus "$version" || true
xdotool key Escape
sleep 0.5

click_menu 80
best="$(e2e_wait_window '過去最高スコア$' 10)" || e2e_fail "the best-score window did not open"
shot "$best" best-score
e2e_focus "$best" || true
xdotool key Return
sleep 0.5

if [ "$play" = play ]; then
  e2e_focus "$e2e_main" || true
  xdotool key Return
  champion=""
  deadline=$((SECONDS + 300))
  while [ -z "$champion" ] && [ $SECONDS -lt $deadline ]; do
    kill -0 "$e2e_program_pid" 2>/dev/null || e2e_fail "the program ended during the game"
    xdotool key --delay 4 a b c d e f g h i j k l m n o p q r s t u v w x y z
    champion="$(xdotool search --onlyvisible --name 'おめでとう' 2>/dev/null | head -n1)"
  done
  [ -n "$champion" ] || e2e_fail "no name-entry window after a whole game"
  shot "$e2e_main" main-after-game
  shot "$champion" name-entry
fi
