#!/usr/bin/env bash
# Preview seek latency on 1080p H.264 clips with a 250-frame key-frame
# interval (60 s, 25 fps), one without B-frames (ultrafast) and one with them
# (veryfast: three B-frames, as cameras and phones write): median and worst of
# 50 seeded random positions each.
#   bench/preview_seek.sh [seed]
set -euo pipefail
cd "$(dirname "$0")/.."
. bench/common.sh
for preset in ultrafast veryfast; do
  src="$work/seek1080_$preset.mp4"
  ffmpeg -hide_banner -loglevel error -f lavfi -i testsrc2=size=1920x1080:rate=25:duration=60 \
    -c:v libx264 -preset "$preset" -g 250 -keyint_min 250 -sc_threshold 0 -pix_fmt yuv420p "$src"
  printf '%s ' "$preset"
  "$build/bin/qb_bench_seek" "$src" 50 "${1:-1}"
done
