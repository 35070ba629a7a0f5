#!/usr/bin/env bash
# Runs the tests of the X11 stop time, and of a window covered by another, in shell_tests against
# a private Xvfb (it has Present, whose completions come at a simulated 60 Hz vertical blank, and
# cannot turn it off: the tests without Present tell the presenter not to use it), and against one
# whose monotonic clock runs three seconds behind the game's (a server in a time namespace of its
# own, as a remote display would be), where a time namespace can be made. The test under a real
# compositing manager is left to a server that mutter composites (see it in
# X11ScreenPresenterTest.cpp): nothing here needs mutter.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
. "$here/x11-session.sh"
trap e2e_cleanup EXIT

# run_presenter_tests BINARY FILTER COUNT WHAT
run_presenter_tests() {
  local output
  output="$(QT_QPA_PLATFORM=xcb "$1" --gtest_filter="$2" 2>&1)"
  echo "$output"
  echo "$output" | grep -q "\[  PASSED  \] $3 test" || e2e_fail "the X11 presenter tests did not pass ($4)"
  echo "$output" | grep -q 'SKIPPED' && e2e_fail "the X11 presenter tests were skipped ($4)"
}

e2e_start_x
run_presenter_tests "$1" 'X11Presenter*:WindowVisibilityOnX11*:-X11Presenter.underMutter*' 8 "a server on the game's clock"
e2e_cleanup
passed=1

behind="unshare --fork --kill-child --time --monotonic=-3"
if $behind true 2>/dev/null; then
  E2E_XVFB_WRAPPER="$behind"
  e2e_start_x
  run_presenter_tests "$1" 'X11Presenter.aKey*' 1 "a server three seconds behind"
  passed=2
else
  echo "e2e: no time namespace here: the run against a server behind the game's clock is left out"
fi
echo "e2e: $passed passed, 0 failed"
