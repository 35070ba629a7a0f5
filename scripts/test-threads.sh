#!/usr/bin/env bash
# Builds the tests whose code starts threads with ThreadSanitizer (in build-threads/, or the
# directory given as $1; further arguments go to CMake) and runs them: core_tests (the history
# store and whatever loads or checkpoints it) and media_tests (SDL's audio thread mixing the
# devices' chunks, the music renderer's worker, the cache). shell_tests is left out: Qt's
# libraries are not built with ThreadSanitizer, and its reports there would be about Qt's own
# locks, which it cannot see.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build-threads}"
shift || true
bash "$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZUMIKKO_BUILD_BENCH=OFF -DZUMIKKO_BUILD_TOOLS=OFF \
  "-DCMAKE_CXX_FLAGS=-fsanitize=thread" "-DCMAKE_EXE_LINKER_FLAGS=-fsanitize=thread" "$@"
cmake --build "$build" --target core_tests media_tests
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$root/tests/thread-sanitizer.supp"
export SDL_AUDIODRIVER=dummy
cd "$build"
# ThreadSanitizer needs the address layout it was built for; a kernel that randomises more
# address bits than it knows makes it stop at start-up, so the tests run without that.
run() { setarch "$(uname -m)" -R "$@"; }
run ./tests/core_tests
run ./tests/media_tests
