#!/usr/bin/env bash
# Conversion speed of this engine (through the CLI) against the ffmpeg CLI with
# equivalent settings, on the same generated 20-second clips (640x480 and
# 1280x720, MPEG-4 + PCM), side by side in one run, best of N each. One line per case:
#   <case>/<size> ours=<s> ffmpeg=<s> ratio=<ours/ffmpeg>
# Run by hand after `cmake --build build --target bench`:
#   BENCH_REPS=3 bench/convert_speed.sh
set -euo pipefail
cd "$(dirname "$0")/.."
. bench/common.sh
for size in 640x480 1280x720; do
  src=$(clip "$size" 20)
  for c in h264 mpeg4 dvd copy; do
    ours=$(best bash -c "$(ours_case "$c" "$src" "$work/ours_$c")")
    ff=$(best bash -c "$(ffmpeg_case "$c" "$src" "$work/ff_$c")")
    ratio "$c/$size" "$ours" "$ff"
  done
done
