#!/usr/bin/env bash
# Installs every Debian package that building and testing Wendal needs.
# Safe to run again: it only installs what is missing.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config clang-format
  clang libclang-rt-14-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libpng-dev zlib1g-dev qt6-base-dev libsdl2-dev libxcb1-dev fonts-liberation2
  pasmo zmakebas fuse-emulator-utils sox
  opense-basic spectrum-roms
  xvfb openbox xdotool imagemagick x11-utils libx11-dev
  dpkg-dev desktop-file-utils libxml2-utils shared-mime-info man-db lintian
)

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq

# The 48K ROM image lives in Debian's non-free component. When the configured
# archive does not offer it, add non-free for Debian's own archive.
if ! apt-cache policy spectrum-roms 2>/dev/null | grep -q 'Candidate: [0-9]'; then
  codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")
  echo "install-deps: spectrum-roms is not installable; enabling Debian's non-free component for ${codename}"
  $SUDO tee /etc/apt/sources.list.d/wendal-non-free.sources >/dev/null <<SRC
Types: deb
URIs: http://deb.debian.org/debian
Suites: ${codename} ${codename}-updates
Components: non-free
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
  $SUDO apt-get update -qq
fi

$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
