#!/usr/bin/env bash
# Installs every Debian package the tree needs to build, test and run. Idempotent:
# nothing is fetched when all packages are present.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config clang-format
  qt6-base-dev qt6-base-dev-tools qt6-multimedia-dev libqt6svg6-dev qt6-svg-dev
  qt6-qpa-plugins libgl-dev
  libjpeg62-turbo-dev libv4l-dev libudev-dev
  libavformat-dev libavcodec-dev libswscale-dev libavutil-dev libcurl4-openssl-dev
  curl
  libgtest-dev libgmock-dev libbenchmark-dev
  imagemagick ffmpeg python3 xvfb xauth x11-utils dbus-daemon
  fonts-dejavu-core
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
