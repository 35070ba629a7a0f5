#!/usr/bin/env bash
# Builds the fuzz targets of the record reader and the CP932 codec, and of the history's reader,
# figures and CSV export, with clang's libFuzzer under AddressSanitizer and
# UndefinedBehaviorSanitizer in build-fuzz/, and runs each for a bounded time (seconds as $1,
# default 30) from its committed seed corpus. Any finding fails the run; the
# input that caused it is left in build-fuzz/ as crash-*, leak-*, oom-* or timeout-*.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build-fuzz"
seconds="${1:-30}"
bash "$root/scripts/install-deps.sh"
CXX=clang++ cmake -S "$root/tests/fuzz" -B "$build" -G Ninja >/dev/null
cmake --build "$build"
# New inputs go to scratch folders: the committed corpora stay as they are.
work="$build/corpus"
mkdir -p "$work" "$build/history-corpus"
cd "$build"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
./record_fuzzer -max_total_time="$seconds" -max_len=4096 -rss_limit_mb=1024 -timeout=10 \
    -print_final_stats=1 "$work" "$root/tests/fuzz/corpus"
./history_fuzzer -max_total_time="$seconds" -max_len=2048 -rss_limit_mb=1024 -timeout=10 \
    -print_final_stats=1 "$build/history-corpus" "$root/tests/fuzz/history-corpus"
