#!/usr/bin/env bash
# Starts the game under a private Xvfb, presses Enter, lets the reel run until it stops once and
# saves a screenshot of the main window to the given PNG (default docs/main-window.png).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="$(realpath -m "${1:-$root/docs/main-window.png}")"
. "$root/tests/e2e/x11-session.sh"
trap e2e_cleanup EXIT
[ -x "$root/build/zumikko" ] || bash "$root/scripts/build.sh"
mkdir -p "$(dirname "$out")"
e2e_start_x
e2e_start_program "$root/build/zumikko"
e2e_focus "$e2e_main"
xdotool key Return
sleep "${SCREENSHOT_DELAY:-6}"
xdotool key --delay 30 k
/usr/bin/import -window "$e2e_main" "$out"
echo "screenshot: $out"
