#!/usr/bin/env bash
# Configures and builds Zumikko into build/ (or the directory given as $1).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
shift || true
cmake -S "$root" -B "$build" -G Ninja "$@"
cmake --build "$build"
