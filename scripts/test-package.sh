#!/usr/bin/env bash
# Builds the Debian package from build/, installs it on this machine, checks the
# installed programs and desktop files, and removes the package again.
set -euo pipefail
cd "$(dirname "$0")/.."
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive

rm -rf build/package
(cd build && cpack -G DEB -B package >/dev/null)
deb=$(ls build/package/quillbrook_*.deb)
echo "package: $deb"
dpkg-deb -f "$deb" Depends
# The device library is dlopen'ed: named by hand, not found by dpkg-shlibdeps.
dpkg-deb -f "$deb" Depends | grep -q 'libavdevice[0-9]'

$SUDO apt-get install -y -q --no-install-recommends "./$deb" >/dev/null
cleanup() { $SUDO apt-get remove -y -q quillbrook >/dev/null; }
trap cleanup EXIT

desktop-file-validate /usr/share/applications/example.quillbrooksoft.Quillbrook.desktop
appstreamcli validate --no-net /usr/share/metainfo/example.quillbrooksoft.Quillbrook.metainfo.xml
for size in 16 22 24 32 48 64 128 256; do
  test -s "/usr/share/icons/hicolor/${size}x${size}/apps/example.quillbrooksoft.Quillbrook.png"
done
test -s /usr/share/icons/hicolor/scalable/apps/example.quillbrooksoft.Quillbrook.svg
test -s /usr/share/man/man1/quillbrook-convert.1.gz
test -s /usr/share/man/man1/quillbrook.1.gz
test -x /usr/bin/quillbrook

# The installed CLI, in a throw-away data folder: its catalogue and a short conversion.
work=$(mktemp -d)
trap 'rm -rf "$work"; cleanup' EXIT
export XDG_DATA_HOME="$work/data"
/usr/bin/quillbrook-convert --list-profiles | grep -q $'^AVI\tDivX'
ffmpeg -v error -f lavfi -i testsrc2=size=320x240:rate=25:duration=1 -f lavfi \
  -i sine=duration=1 -c:v mpeg4 -c:a mp2 "$work/clip.avi"
/usr/bin/quillbrook-convert --profile 'MPEG-4 AVC' --option preset=ultrafast "$work/clip.avi" "$work/out.mp4" >/dev/null
streams=$(ffprobe -v error -show_entries stream=codec_name -of csv=p=0 "$work/out.mp4" | sort | tr '\n' ' ')
[ "$streams" = "aac h264 " ] || { echo "installed conversion gave: $streams"; exit 1; }
echo "package checks passed"
