# Shared helpers for driving the real program under Xvfb. Source this file.
# Starts a private X server and the program copied into a fresh directory, so that its
# score.dat is the delivered one and no player's record is touched.

e2e_fail() { echo "e2e: FAIL: $*" >&2; exit 1; }

e2e_start_x() {
  local fd_file
  fd_file="$(mktemp)"
  exec {e2e_fd}<>"$fd_file"
  # E2E_XVFB_WRAPPER runs the server under another command, e.g. in a time namespace of its own.
  ${E2E_XVFB_WRAPPER:-} Xvfb -displayfd "$e2e_fd" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  e2e_xvfb_pid=$!
  for _ in $(seq 100); do
    [ -s "$fd_file" ] && break
    sleep 0.1
  done
  [ -s "$fd_file" ] || e2e_fail "Xvfb did not start"
  export DISPLAY=":$(head -n1 "$fd_file" | tr -d '[:space:]')"
  rm -f "$fd_file"
}

# e2e_start_program BINARY [RECORD_BYTES_FILE]
e2e_start_program() {
  e2e_dir="$(mktemp -d)"
  local source_dir
  source_dir="$(dirname "$1")"
  cp "$1" "$e2e_dir/zumikko"
  for f in start.wav kaiten.wav bgm.mid goal.mid score.dat; do
    [ -f "$source_dir/$f" ] && cp "$source_dir/$f" "$e2e_dir/"
  done
  if [ -n "${2:-}" ]; then cp "$2" "$e2e_dir/score.dat"; fi
  SDL_AUDIODRIVER=dummy "$e2e_dir/zumikko" >"$e2e_dir/stdout.log" 2>&1 &
  e2e_program_pid=$!
  if ! e2e_main="$(e2e_wait_window 'Zumikko' 20)"; then
    # What the program said, for a start that ended at once.
    sed 's/^/e2e: program: /' "$e2e_dir/stdout.log" >&2
    e2e_fail "the main window did not appear"
  fi
}

# e2e_wait_window NAME_REGEX SECONDS: prints the first visible window whose name matches.
e2e_wait_window() {
  local deadline=$((SECONDS + $2)) id
  while [ $SECONDS -lt $deadline ]; do
    id="$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1)"
    if [ -n "$id" ]; then echo "$id"; return 0; fi
    if [ -n "${e2e_program_pid:-}" ] && ! kill -0 "$e2e_program_pid" 2>/dev/null; then return 1; fi
    sleep 0.2
  done
  return 1
}

e2e_focus() { xdotool windowfocus --sync "$1" 2>/dev/null || xdotool windowfocus "$1"; }

e2e_screenshot() { /usr/bin/import -window root "$1"; }

e2e_cleanup() {
  [ -n "${e2e_program_pid:-}" ] && kill "$e2e_program_pid" 2>/dev/null
  # A wrapper around the server does not pass the signal on: end the server itself too.
  if [ -n "${e2e_xvfb_pid:-}" ] && [ -n "${E2E_XVFB_WRAPPER:-}" ]; then
    kill $(cat "/proc/$e2e_xvfb_pid/task/$e2e_xvfb_pid/children" 2>/dev/null) 2>/dev/null
  fi
  [ -n "${e2e_xvfb_pid:-}" ] && kill "$e2e_xvfb_pid" 2>/dev/null
  wait 2>/dev/null
  [ -n "${e2e_dir:-}" ] && [ -z "${E2E_KEEP:-}" ] && rm -rf "$e2e_dir"
  return 0
}

# e2e_play_new_record NAME: in the main window $e2e_main, against a record of 0, presses the
# letters A to Z over and over until the name-entry window opens, types NAME and confirms it in
# both windows. Screenshots go to $E2E_SCREENSHOTS when it is set.
e2e_play_new_record() {
  local shots="${E2E_SCREENSHOTS:-}" champion="" round=0 deadline best
  e2e_focus "$e2e_main"
  xdotool key Return
  deadline=$((SECONDS + 240))
  while [ -z "$champion" ] && [ $SECONDS -lt $deadline ]; do
    kill -0 "$e2e_program_pid" 2>/dev/null || e2e_fail "the program ended during the game"
    xdotool key --delay 4 a b c d e f g h i j k l m n o p q r s t u v w x y z
    round=$((round + 1))
    if [ -n "$shots" ] && [ $round -eq 3 ]; then e2e_screenshot "$shots/playing.png"; fi
    champion="$(xdotool search --onlyvisible --name 'おめでとう' 2>/dev/null | head -n1)"
  done
  [ -n "$champion" ] || e2e_fail "no name-entry window after a whole game"
  [ -n "$shots" ] && e2e_screenshot "$shots/champion.png"
  e2e_focus "$champion"
  # Letters typed while the window opened may already stand in the name box: replace them.
  sleep 0.5
  xdotool key ctrl+a BackSpace
  xdotool type --delay 20 "$1"
  xdotool key Return
  best="$(e2e_wait_window '過去最高スコア$' 10)" || e2e_fail "the best-score window did not open"
  [ -n "$shots" ] && e2e_screenshot "$shots/best-score.png"
  e2e_focus "$best"
  xdotool key Return
}
