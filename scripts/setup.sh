#!/usr/bin/env bash
# Installs the Debian packages the project needs. Idempotent; run as root
# (or with sudo available). Packages already present are left alone.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev libgl-dev qt6-translations-l10n
  libftdi1-dev libusb-1.0-0-dev
  libfftw3-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-dev
  xvfb xauth xdotool imagemagick
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
echo "Installing: ${missing[*]}"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
