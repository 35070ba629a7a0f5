#!/usr/bin/env bash
# Runs the tests of shell_tests that need a real compositor (the stop stamp, the refused
# maximize) against a private headless weston.
# Exits 77 (skipped) where weston or Qt's Wayland platform is not installed.
set -uo pipefail
shell_tests="$1"
command -v weston >/dev/null || { echo "weston is not installed"; exit 77; }
qt_plugins="$(qtpaths6 --query QT_INSTALL_PLUGINS 2>/dev/null || echo /usr/lib/x86_64-linux-gnu/qt6/plugins)"
ls "$qt_plugins"/platforms/libqwayland-generic.so >/dev/null 2>&1 || { echo "qt6-wayland is not installed"; exit 77; }

runtime="$(mktemp -d)"
chmod 700 "$runtime"
socket="wayland-zumikko-test-$$"
cleanup() {
  [ -n "${weston_pid:-}" ] && kill "$weston_pid" 2>/dev/null && wait "$weston_pid" 2>/dev/null
  rm -rf "$runtime"
}
trap cleanup EXIT
fail() { echo "e2e: FAIL: $*" >&2; [ -f "$runtime/weston.log" ] && tail -n 20 "$runtime/weston.log" >&2; exit 1; }

XDG_RUNTIME_DIR="$runtime" weston --backend=headless-backend.so --socket="$socket" --idle-time=0 \
  --log="$runtime/weston.log" >/dev/null 2>&1 &
weston_pid=$!
for _ in $(seq 100); do
  [ -S "$runtime/$socket" ] && break
  kill -0 "$weston_pid" 2>/dev/null || fail "weston ended at start"
  sleep 0.1
done
[ -S "$runtime/$socket" ] || fail "weston did not open its socket"

output="$(XDG_RUNTIME_DIR="$runtime" WAYLAND_DISPLAY="$socket" QT_QPA_PLATFORM=wayland \
  "$shell_tests" --gtest_filter='WaylandScreenPresenter.eachPicture*:MaximizeRefusal.*' 2>&1)"
echo "$output"
echo "$output" | grep -q 'SKIPPED' && fail "a test that needs Wayland was skipped"
echo "$output" | grep -q '\[  PASSED  \] 2 tests' || fail "the tests that need Wayland did not pass"
echo "e2e: 2 passed, 0 failed"
