#!/usr/bin/env bash
# Installs every Debian package the project builds, tests or runs with.
# Safe to run again: apt-get skips what is already there.
set -euo pipefail
PACKAGES=(
  build-essential cmake ninja-build ccache pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libsdl2-dev libgl-dev libgl1-mesa-dri libegl-mesa0 libosmesa6-dev xvfb
  libopenal-dev libvorbis-dev espeak-ng
  libavformat-dev libavcodec-dev libswscale-dev libswresample-dev libavutil-dev
  libenet-dev
  libimgui-dev
  liblua5.4-dev
  libfreetype-dev fonts-dejavu-core fonts-dejavu-extra libpng-dev
  xdotool imagemagick
  iproute2 util-linux
)
missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then exit 0; fi
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
