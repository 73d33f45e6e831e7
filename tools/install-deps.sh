#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need; only what is missing.
set -euo pipefail
packages=(
  build-essential cmake pkg-config g++ clang libclang-rt-14-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libsdl2-dev libfreetype-dev libfontconfig-dev libjpeg-dev zlib1g-dev libpng-dev
  fonts-ipafont-gothic fonts-dejavu-core fonts-nanum fonts-ipamj-mincho
  python3 libarchive-tools pngcheck xvfb xauth xdotool x11-apps
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO apt-get update -q
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
