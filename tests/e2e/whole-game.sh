#!/usr/bin/env bash
# Plays a whole game in the real program against the delivered record of 0: presses the letters
# A to Z over and over until the name-entry window opens, types a name, confirms both windows
# and checks the bytes of score.dat.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
. "$here/x11-session.sh"
trap e2e_cleanup EXIT

binary="$1"

e2e_start_x
e2e_start_program "$binary"
[ "$(head -c 100 "$e2e_dir/score.dat" | od -An -tx1 | tr -s ' ')" = " 22 22 0d 0a 22 30 22 0d 0a" ] \
  || e2e_fail "the delivered record is not the empty one"

e2e_play_new_record "abc"

deadline=$((SECONDS + 10))
while [ $SECONDS -lt $deadline ]; do
  if LC_ALL=C grep -qaE '^"abc"' "$e2e_dir/score.dat"; then break; fi
  sleep 0.2
done
bytes="$(od -An -c "$e2e_dir/score.dat" | tr -s ' \n' ' ')"
LC_ALL=C grep -qazP '\A"abc"\r\n"[1-9][0-9]*"\r\n\z' "$e2e_dir/score.dat" \
  || e2e_fail "score.dat holds: $bytes"
echo "e2e: score.dat holds: $bytes"
echo "e2e: 1 passed, 0 failed"
