#!/usr/bin/env bash
# The program from a terminal, with no display at all: --help and --version answer and exit 0,
# a wrong option or argument is named in one line above the usage and exits 2, and a display
# that does not answer is named in one plain line with exit 1, not Qt's abort.
# Usage: command-line.sh path/to/zumikko
set -uo pipefail
binary="$1"
out="$(mktemp)" err="$(mktemp)"
trap 'rm -f "$out" "$err"' EXIT
failed=0
fail() { echo "FAIL: $*" >&2; echo "  stdout: $(head -c 400 "$out")" >&2; echo "  stderr: $(head -c 400 "$err")" >&2; failed=1; }

# run EXPECTED_STATUS [VAR=value ...] -- ARGS...: with no display in the environment.
run() {
  local expected="$1" status; shift
  local vars=()
  while [ "$1" != "--" ]; do vars+=("$1"); shift; done
  shift
  env -u DISPLAY -u WAYLAND_DISPLAY -u XDG_SESSION_TYPE -u QT_QPA_PLATFORM XDG_RUNTIME_DIR="$(mktemp -d)" \
    "${vars[@]}" timeout 20 "$binary" "$@" >"$out" 2>"$err"
  status=$?
  [ "$status" -eq "$expected" ] || fail "zumikko $* (${vars[*]}) exited $status, not $expected"
}
lines() { grep -c '' "$1"; }

run 0 -- --help
grep -q '^Usage: zumikko' "$out" && grep -q -- '--version' "$out" && grep -q -- '-platform' "$out" \
  || fail "--help does not print the usage and the options"
[ -s "$err" ] && fail "--help wrote to stderr"

run 0 -- -h
grep -q '^Usage: zumikko' "$out" || fail "-h does not print the usage"

run 0 -- --version
[ "$(cat "$out")" = "Zumikko 1.0.0" ] || fail "--version does not print the name and version alone"

for bad in --bogus -x "stray-argument"; do
  run 2 -- "$bad"
  [ -s "$out" ] && fail "a wrong option wrote to stdout"
  grep -q -- "$(echo "$bad" | sed 's/^-*//')" <(head -n1 "$err") || fail "the first line does not name '$bad'"
  sed -n 2p "$err" | grep -q '^Usage: zumikko' || fail "the usage does not follow the error for '$bad'"
done
# An option Qt reads for itself needs its value.
run 2 -- -platform

# No display: the one it tried, in one line; never a core dump (status 134) or Qt's message.
said() { [ "$(cat "$err")" = "zumikko: $1" ] || fail "not said in one line: $1"; }
run 1 -- 
said 'cannot connect to X display (DISPLAY is not set)'
run 1 DISPLAY=:4711 --
said 'cannot connect to X display ":4711"'
run 1 DISPLAY=:4711 QT_QPA_PLATFORM=xcb --
said 'cannot connect to X display ":4711" (QT_QPA_PLATFORM=xcb)'
run 1 DISPLAY=:4711 -- -display :4712
said 'cannot connect to X display ":4712"'
# A Wayland session tries Wayland first, then X11.
run 1 WAYLAND_DISPLAY=zumikko-none DISPLAY=:4711 --
said 'cannot connect to Wayland display "zumikko-none" or X display ":4711"'
run 1 XDG_SESSION_TYPE=wayland DISPLAY=:4711 --
said 'cannot connect to Wayland display "wayland-0" or X display ":4711"'
run 1 DISPLAY=:4711 QT_QPA_PLATFORM=wayland --
said 'cannot connect to Wayland display "wayland-0" (QT_QPA_PLATFORM=wayland)'
run 1 DISPLAY=:4711 QT_QPA_PLATFORM=wayland -- -platform xcb
said 'cannot connect to X display ":4711" (-platform xcb)'

exit $failed
