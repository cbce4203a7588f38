#!/usr/bin/env bash
# Installs every Debian package the tree needs to build, test and run (the install test reads
# the installed files with desktop-file-validate, appstreamcli and man). Idempotent: nothing is
# fetched when all packages are present. scripts/check-package.sh installs its own few extras.
set -euo pipefail

# `install-deps.sh fuzz` (make fuzz, make test-tsan) adds clang with its sanitizer and libFuzzer
# runtimes; the normal build and `make test` never need them.
extra=()
if [ "${1:-}" = fuzz ]; then
  extra=(clang libclang-rt-14-dev)
fi

packages=(
  build-essential cmake ninja-build pkg-config clang-format
  qt6-base-dev qt6-base-dev-tools qt6-multimedia-dev qt6-svg-dev
  qt6-qpa-plugins qt6-translations-l10n libgl-dev
  libjpeg62-turbo-dev libv4l-dev libudev-dev
  libavformat-dev libavcodec-dev libswscale-dev libavutil-dev libcurl4-openssl-dev
  libgsf-1-dev libfreexl-dev libxlsxwriter-dev libminizip-dev python3-openpyxl python3-xlwt
  curl
  libgtest-dev libgmock-dev libbenchmark-dev
  imagemagick ffmpeg poppler-utils python3 xvfb xauth x11-utils dbus-daemon
  xdg-utils
  fonts-dejavu-core
  desktop-file-utils appstream man-db
  "${extra[@]}"
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
