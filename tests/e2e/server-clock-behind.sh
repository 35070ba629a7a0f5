#!/usr/bin/env bash
# A whole game against an X server whose monotonic clock runs three seconds behind the game's,
# as a remote display or a server in another time namespace has it: its key stamps cannot be
# set against the game's stops, and the game must still run to its end.
# Exits 77 (skipped) where no time namespace can be made.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
wrapper="unshare --fork --kill-child --time --monotonic=-3"
if ! $wrapper true 2>/dev/null; then
  echo "e2e: skipped: cannot make a time namespace here"
  exit 77
fi
E2E_XVFB_WRAPPER="$wrapper" exec bash "$here/whole-game.sh" "$1"
