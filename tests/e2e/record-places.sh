#!/usr/bin/env bash
# Where the real program keeps and finds its record in unusual places:
#  - score.dat as a symbolic link into another folder: the new record lands in the link's
#    target and the link stays a link;
#  - a name of a million characters pasted into the name box: the record written stays one the
#    program can read back (at most 64 KiB, two quoted lines);
#  - a relative XDG_DATA_HOME is ignored: an installed program keeps the record under
#    ~/.local/share, not under the folder it was started from;
#  - a program folder whose name is not UTF-8 keeps its own record there.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
. "$here/x11-session.sh"
trap 'e2e_cleanup; rm -rf "${scratch:-}"' EXIT

binary="$1"
source_dir="$(dirname "$binary")"
shots="${E2E_SCREENSHOTS:-}"
scratch="$(mktemp -d)"
empty_record="$scratch/empty.dat"
printf '""\r\n"0"\r\n' > "$empty_record"
e2e_start_x
passed=0

# wait_for_bytes FILE PATTERN: waits until FILE matches the grep -P pattern over its bytes.
wait_for_bytes() {
  local deadline=$((SECONDS + 10))
  while [ $SECONDS -lt $deadline ]; do
    LC_ALL=C grep -qazP "$2" "$1" 2>/dev/null && return 0
    sleep 0.2
  done
  return 1
}

end_program() {
  kill -s TERM "$e2e_program_pid"
  wait "$e2e_program_pid"
  e2e_program_pid=""
}

# 1. A record kept elsewhere through a symbolic link.
e2e_start_program "$binary" "$empty_record"
mkdir "$e2e_dir/synced"
mv "$e2e_dir/score.dat" "$e2e_dir/synced/record.dat"
ln -s synced/record.dat "$e2e_dir/score.dat"
e2e_play_new_record "linked"
wait_for_bytes "$e2e_dir/synced/record.dat" '\A"linked"\r\n"[1-9][0-9]*"\r\n\z' \
  || e2e_fail "symbolic link: the target holds $(od -An -c "$e2e_dir/synced/record.dat" | tr -s ' \n' ' ')"
[ -L "$e2e_dir/score.dat" ] || e2e_fail "symbolic link: score.dat is no longer a link"
end_program
echo "e2e: symbolic link: the record went to the link's target, the link stays"
passed=$((passed + 1))
rm -rf "$e2e_dir"

# 2. A million characters pasted into the name box.
e2e_start_program "$binary" "$empty_record"
python3 -c 'import sys; sys.stdout.write("あ" * 1000000)' | xclip -selection clipboard -i
e2e_focus "$e2e_main"
xdotool key Return
champion=""
deadline=$((SECONDS + 240))
while [ -z "$champion" ] && [ $SECONDS -lt $deadline ]; do
  kill -0 "$e2e_program_pid" 2>/dev/null || e2e_fail "long paste: the program ended during the game"
  xdotool key --delay 4 a b c d e f g h i j k l m n o p q r s t u v w x y z
  champion="$(xdotool search --onlyvisible --name 'おめでとう' 2>/dev/null | head -n1)"
done
[ -n "$champion" ] || e2e_fail "long paste: no name-entry window after a whole game"
e2e_focus "$champion"
sleep 0.5
xdotool key ctrl+a BackSpace ctrl+v
[ -n "$shots" ] && e2e_screenshot "$shots/long-paste.png"
xdotool key Return
best="$(e2e_wait_window '過去最高スコア$' 20)" || e2e_fail "long paste: the best-score window did not open"
e2e_focus "$best"
xdotool key Return
wait_for_bytes "$e2e_dir/score.dat" '\A"(\x82\xa0)+"\r\n"[1-9][0-9]*"\r\n\z' \
  || e2e_fail "long paste: score.dat holds $(head -c 40 "$e2e_dir/score.dat" | od -An -tx1)"
size="$(stat -c %s "$e2e_dir/score.dat")"
[ "$size" -le 65536 ] || e2e_fail "long paste: score.dat has $size bytes, more than the reader takes"
end_program
echo "e2e: long paste: score.dat of $size bytes, readable"
passed=$((passed + 1))
rm -rf "$e2e_dir"

# 3. An installed program with a relative XDG_DATA_HOME, started from some folder.
prefix="$scratch/prefix"
mkdir -p "$prefix/bin" "$prefix/share/zumikko" "$scratch/home" "$scratch/started-here"
cp "$binary" "$prefix/bin/zumikko"
for f in start.wav kaiten.wav bgm.mid goal.mid; do cp "$source_dir/$f" "$prefix/share/zumikko/"; done
cp "$empty_record" "$prefix/share/zumikko/score.dat"
(cd "$scratch/started-here" && HOME="$scratch/home" XDG_DATA_HOME=relative/data SDL_AUDIODRIVER=dummy \
  "$prefix/bin/zumikko" >"$scratch/relative.log" 2>&1) &
e2e_program_pid=$!
e2e_main="$(e2e_wait_window '^Zumikko$' 20)" || e2e_fail "relative XDG_DATA_HOME: the main window did not appear"
deadline=$((SECONDS + 10))
until [ -f "$scratch/home/.local/share/zumikko/score.dat" ] || [ $SECONDS -ge $deadline ]; do sleep 0.2; done
[ -f "$scratch/home/.local/share/zumikko/score.dat" ] \
  || e2e_fail "relative XDG_DATA_HOME: no record under ~/.local/share/zumikko"
[ ! -e "$scratch/started-here/relative" ] || e2e_fail "relative XDG_DATA_HOME: a record under the starting folder"
end_program
echo "e2e: relative XDG_DATA_HOME: the record is under ~/.local/share/zumikko"
passed=$((passed + 1))

# 4. A program folder whose name is not UTF-8 ("zé" in Latin-1) with its own record.
odd="$scratch/$(printf 'z\xe9')"
mkdir -p "$odd" "$scratch/home2"
cp "$binary" "$odd/zumikko"
for f in start.wav kaiten.wav bgm.mid goal.mid; do cp "$source_dir/$f" "$odd/"; done
printf '"abc"\r\n"-5"\r\n' > "$odd/score.dat"
HOME="$scratch/home2" SDL_AUDIODRIVER=dummy "$odd/zumikko" >"$scratch/odd.log" 2>&1 &
e2e_program_pid=$!
e2e_main="$(e2e_wait_window '^Zumikko$' 20)" || e2e_fail "non-UTF-8 folder: the main window did not appear"
# The folder's own damaged record is read: its message stands beside the main window.
deadline=$((SECONDS + 10))
until [ "$(xdotool search --onlyvisible --name '^Zumikko$' 2>/dev/null | wc -l)" -ge 2 ] || [ $SECONDS -ge $deadline ]; do
  sleep 0.2
done
[ "$(xdotool search --onlyvisible --name '^Zumikko$' 2>/dev/null | wc -l)" -ge 2 ] \
  || e2e_fail "non-UTF-8 folder: the folder's own score.dat was not read"
[ -n "$shots" ] && e2e_screenshot "$shots/non-utf8-folder.png"
[ ! -e "$scratch/home2/.local/share/zumikko" ] || e2e_fail "non-UTF-8 folder: the record went to the data home"
end_program
echo "e2e: non-UTF-8 folder: its own score.dat was read and no other place made"
passed=$((passed + 1))
echo "e2e: $passed passed, 0 failed"
