#!/usr/bin/env bash
# Installs what is missing, builds, and starts the game. Without a display it runs under
# xvfb-run (then nothing is visible: use scripts/screenshot.sh to see it).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh"
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec "$root/build/zumikko"
else
  echo "play: no display found; running under xvfb-run" >&2
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$root/build/zumikko"
fi
