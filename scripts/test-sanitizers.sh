#!/usr/bin/env bash
# Builds once with AddressSanitizer and UndefinedBehaviorSanitizer and runs the unit tests there.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build-sanitizers"
bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh" "$build" -DCMAKE_BUILD_TYPE=Debug -DZUMIKKO_BUILD_BENCH=OFF \
  "-DCMAKE_CXX_FLAGS=-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined" \
  "-DCMAKE_EXE_LINKER_FLAGS=-fsanitize=address,undefined"
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy
cd "$build"
ASAN_OPTIONS=detect_leaks=1 ./tests/core_tests
# Qt and the audio libraries keep some process-lifetime allocations; leaks are checked above.
ASAN_OPTIONS=detect_leaks=0 ./tests/media_tests
ASAN_OPTIONS=detect_leaks=0 ./tests/shell_tests
