#!/usr/bin/env bash
# Installs the build into a temporary prefix and plays a whole game in the installed program as
# an ordinary user with a fresh home: the record must appear in $XDG_DATA_HOME/zumikko/score.dat,
# made from the delivered one, while the installed files stay as they were.
# Usage: installed-game.sh BUILD_DIR APP_ID
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
. "$here/x11-session.sh"

build="$1"
app_id="$2"
prefix="$(mktemp -d)"
home="$(mktemp -d)"
cleanup() {
  e2e_cleanup
  rm -rf "$prefix" "$home"
}
trap cleanup EXIT

# Installed by root and played by someone else, as a package would be.
chmod 755 "$prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null || e2e_fail "cmake --install failed"
for f in share/zumikko/start.wav share/zumikko/kaiten.wav share/zumikko/bgm.mid \
         share/zumikko/goal.mid share/zumikko/score.dat share/applications/$app_id.desktop \
         share/metainfo/$app_id.metainfo.xml; do
  [ -f "$prefix/$f" ] || e2e_fail "not installed: $f"
done
for size in 16 32 48 64 128 256; do
  icon="$prefix/share/icons/hicolor/${size}x${size}/apps/$app_id.png"
  [ "$(identify -format '%wx%h' "$icon" 2>/dev/null)" = "${size}x${size}" ] || e2e_fail "no ${size}x${size} icon"
done
# bin/ or, as Debian lays out games, games/.
program="$(ls "$prefix"/bin/zumikko "$prefix"/games/zumikko 2>/dev/null | head -n1)"
[ -x "$program" ] || e2e_fail "no installed program"
delivered="$(od -An -tx1 "$prefix/share/zumikko/score.dat")"

if [ "$(id -u)" -eq 0 ]; then
  player=nobody
  chown "$player" "$home"
  as_player=(setpriv --reuid="$player" --regid="$(id -g "$player")" --clear-groups)
else
  player="$(id -un)"
  as_player=()
fi
data_home="$home/.local/share"

e2e_start_x
"${as_player[@]}" env -i PATH=/usr/bin:/bin HOME="$home" XDG_DATA_HOME="$data_home" DISPLAY="$DISPLAY" \
  SDL_AUDIODRIVER=dummy LANG=C.UTF-8 "$program" >"$home/stdout.log" 2>&1 &
e2e_program_pid=$!
e2e_main="$(e2e_wait_window 'Zumikko' 20)" || e2e_fail "the main window did not appear: $(cat "$home/stdout.log")"
record="$data_home/zumikko/score.dat"
deadline=$((SECONDS + 10))
while [ ! -f "$record" ] && [ $SECONDS -lt $deadline ]; do sleep 0.2; done
[ "$(od -An -tx1 "$record" 2>/dev/null)" = "$delivered" ] || e2e_fail "no copy of the delivered record in $record"

e2e_play_new_record "abc"

deadline=$((SECONDS + 10))
while [ $SECONDS -lt $deadline ]; do
  if LC_ALL=C grep -qaE '^"abc"' "$record"; then break; fi
  sleep 0.2
done
LC_ALL=C grep -qazP '\A"abc"\r\n"[1-9][0-9]*"\r\n\z' "$record" \
  || e2e_fail "$record holds: $(od -An -c "$record" | tr -s ' \n' ' ')"
[ "$(stat -c %U "$record")" = "$player" ] || e2e_fail "$record does not belong to $player"
[ "$(od -An -tx1 "$prefix/share/zumikko/score.dat")" = "$delivered" ] || e2e_fail "the delivered record changed"
[ ! -e "$(dirname "$program")/score.dat" ] || e2e_fail "a record appeared beside the installed program"
echo "e2e: $record holds: $(od -An -c "$record" | tr -s ' \n' ' ')"
echo "e2e: 1 passed, 0 failed"
