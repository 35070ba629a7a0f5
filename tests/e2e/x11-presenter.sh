#!/usr/bin/env bash
# Runs the test of the X11 stop stamp in shell_tests against a private Xvfb.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
. "$here/x11-session.sh"
trap e2e_cleanup EXIT
e2e_start_x
output="$(QT_QPA_PLATFORM=xcb "$1" --gtest_filter='X11ScreenPresenter.*' 2>&1)"
echo "$output"
echo "$output" | grep -q '\[  PASSED  \] 2 tests' || e2e_fail "the X11 presenter test did not pass"
echo "$output" | grep -q 'SKIPPED' && e2e_fail "the X11 presenter test was skipped"
echo "e2e: 2 passed, 0 failed"
