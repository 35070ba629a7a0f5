#!/usr/bin/env bash
# What a screen reader reads: the program under Xvfb with Qt's AT-SPI bridge on, in a private
# D-Bus session bus of its own, its tree read with pyatspi: the counters named by their headings
# ("MISS 1") and the reel naming the letter it stopped on. Skips (77) only where AT-SPI cannot
# run at all: no dbus-run-session, no pyatspi, or an accessibility bus that does not answer.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
python=/usr/bin/python3  # Debian's, where python3-pyatspi is installed
if [ -z "${E2E_PRIVATE_BUS:-}" ]; then
  command -v dbus-run-session >/dev/null || { echo "e2e: SKIP: dbus-run-session is missing (package dbus)"; exit 77; }
  "$python" -c 'import pyatspi' 2>/dev/null || { echo "e2e: SKIP: pyatspi is missing (package python3-pyatspi)"; exit 77; }
  E2E_PRIVATE_BUS=1 exec dbus-run-session -- bash "$0" "$@"
fi
. "$here/x11-session.sh"
trap e2e_cleanup EXIT

e2e_start_x
if ! problem="$("$python" "$here/accessible-tree.py" bus 2>&1)"; then
  echo "e2e: SKIP: the accessibility bus does not answer: $problem"
  exit 77
fi
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
e2e_start_program "$1"
e2e_focus "$e2e_main"
"$python" "$here/accessible-tree.py" game "$e2e_program_pid" || exit 1
echo "e2e: 1 passed, 0 failed"
