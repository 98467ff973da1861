#!/usr/bin/env bash
# Cost of one progress hand-off (worker to main thread and back) with the
# CLI's queue dispatcher and the GUI's Qt dispatcher, and the number of
# hand-offs a conversion makes per second ("MPEG-4 AVC", 640x480 clip).
#   bench/progress_handoff.sh
set -euo pipefail
cd "$(dirname "$0")/.."
. bench/common.sh
QT_QPA_PLATFORM=offscreen "$build/bin/qb_bench_dispatch" 200000
src=$(clip 640x480 20)
packets=$(ffprobe -v error -count_packets -show_entries stream=nb_read_packets -of csv=p=0 "$src" | paste -sd+ | bc)
t=$(best bash -c "$(ours_case h264 "$src" "$work/h")")
printf 'conversion handoffs=%d seconds=%.2f handoffs_per_second=%.0f\n' "$packets" "$t" "$(echo "$packets / $t" | bc -l)"
