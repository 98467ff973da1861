#!/usr/bin/env bash
# Draws the pictures of docs/screenshots/ on the offscreen platform.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --build build --target quillbrook-screenshots -j"$(nproc)"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Large enough that the conversions are still running when the window is drawn.
clip="$work/sample.mkv"
ffmpeg -v error -y -f lavfi -i testsrc2=size=1280x720:rate=25:duration=60 \
  -f lavfi -i sine=frequency=440:duration=60 -c:v mpeg4 -q:v 4 -c:a mp2 "$clip"
QT_QPA_PLATFORM=offscreen build/bin/quillbrook-screenshots docs/screenshots "$clip"
