#!/usr/bin/env bash
# Installs every Debian package that building, running and testing Zumikko needs.
# Idempotent: packages already present are left alone, and apt is only asked when
# something is missing.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libsdl2-dev libsdl2-mixer-dev libfluidsynth-dev timgm6mb-soundfont
  fonts-ipafont-gothic fonts-ipafont-mincho fonts-urw-base35
  fonts-vlgothic fonts-noto-cjk
  libgtest-dev
  libsqlitecpp-dev libsqlite3-dev sqlite3
  xdg-utils
  xvfb xauth xdotool xclip x11-apps x11-utils imagemagick openbox
  qt6-translations-l10n locales
  at-spi2-core python3-pyatspi dbus
  libx11-dev libxtst-dev libxdamage-dev libxext-dev libxfixes-dev stress-ng
  dpkg-dev file fakeroot lintian desktop-file-utils appstream
  clang libclang-rt-14-dev libxcb1-dev libxcb-present-dev libxcb-sync-dev
  libwayland-dev wayland-protocols qt6-wayland qt6-base-private-dev weston
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all packages present"
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
  echo "install-deps: missing packages: ${missing[*]}" >&2
  echo "install-deps: run this script as root (or with sudo) to install them" >&2
  exit 1
fi

echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
