#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: unit, widget, audio and end-to-end.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh"
cd "$root/build"
ctest --output-on-failure --timeout 300 -j2
