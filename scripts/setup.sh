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
  locales
  dpkg-dev desktop-file-utils appstream dbus-daemon
)
# The suite runs once more in a locale whose decimal separator is a comma.
TEST_LOCALE=de_DE.UTF-8

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -q
  $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# locale -a spells it de_DE.utf8.
if ! locale -a 2>/dev/null | grep -qix "${TEST_LOCALE/UTF-8/utf8}"; then
  $SUDO localedef -i "${TEST_LOCALE%%.*}" -f UTF-8 "$TEST_LOCALE"
fi
