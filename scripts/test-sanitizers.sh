#!/usr/bin/env bash
# Builds the three test programs once with AddressSanitizer and UndefinedBehaviorSanitizer (in
# build-sanitizers/, or the directory given as $1; further arguments go to CMake) and runs them.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build-sanitizers}"
shift || true
bash "$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZUMIKKO_BUILD_BENCH=OFF -DZUMIKKO_BUILD_TOOLS=OFF \
  "-DCMAKE_CXX_FLAGS=-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined" \
  "-DCMAKE_EXE_LINKER_FLAGS=-fsanitize=address,undefined" "$@"
cmake --build "$build" --target core_tests media_tests shell_tests
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy
cd "$build"
ASAN_OPTIONS=detect_leaks=1 ./tests/core_tests
# Qt and the audio libraries keep some process-lifetime allocations; leaks are checked above.
ASAN_OPTIONS=detect_leaks=0 ./tests/media_tests
ASAN_OPTIONS=detect_leaks=0 ./tests/shell_tests
