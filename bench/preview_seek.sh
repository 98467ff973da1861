#!/usr/bin/env bash
# Preview seek latency on a 1080p H.264 clip with a 250-frame key-frame
# interval (60 s, 25 fps): median and worst of 50 seeded random positions.
#   bench/preview_seek.sh [seed]
set -euo pipefail
cd "$(dirname "$0")/.."
. bench/common.sh
src="$work/seek1080.mp4"
ffmpeg -hide_banner -loglevel error -f lavfi -i testsrc2=size=1920x1080:rate=25:duration=60 \
  -c:v libx264 -preset ultrafast -g 250 -keyint_min 250 -sc_threshold 0 -pix_fmt yuv420p "$src"
"$build/bin/qb_bench_seek" "$src" 50 "${1:-1}"
