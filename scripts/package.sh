#!/usr/bin/env bash
# Builds the Debian package: a Release build of the game alone (no tests, measurements or
# asset tools) in build-package/, then CPack's DEB generator. Prints the package's path.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build-package"
bash "$root/scripts/install-deps.sh"
# Debian keeps games in /usr/games, and builds with its hardening flags: all of them, so that
# the program is also linked with BIND_NOW (immediate binding, read-only relocations).
export DEB_BUILD_MAINT_OPTIONS="hardening=+all"
export CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
export LDFLAGS="$(dpkg-buildflags --get LDFLAGS)"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr -DCMAKE_INSTALL_BINDIR=games \
  -DZUMIKKO_BUILD_TESTS=OFF -DZUMIKKO_BUILD_BENCH=OFF -DZUMIKKO_BUILD_TOOLS=OFF
cmake --build "$build"
cd "$build"
rm -f zumikko_*.deb
cpack -G DEB
ls "$build"/zumikko_*.deb
