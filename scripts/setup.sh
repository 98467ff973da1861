#!/usr/bin/env bash
# Installs every Debian package the build and the tests need. Idempotent: when all
# packages are present it only checks and returns.
set -euo pipefail

PACKAGES=(
  build-essential cmake pkg-config
  libavcodec-dev libavformat-dev libavfilter-dev libavutil-dev
  libswscale-dev libswresample-dev libavdevice-dev
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev libgl-dev
  libsqlite3-dev sqlite3 libpugixml-dev libasound2-dev
  libgtest-dev libgmock-dev
  ffmpeg fonts-dejavu-core fonts-wqy-microhei
  dpkg-dev desktop-file-utils appstream dbus-daemon
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
