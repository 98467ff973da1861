#!/usr/bin/env bash
# Four conversions at once ("MPEG-4 AVC", 640x480 20-second clip): total wall
# time of four quillbrook-convert processes, of one process running four
# converters (as the GUI runs its tasks), and of four ffmpeg processes.
#   bench/parallel.sh
set -euo pipefail
cd "$(dirname "$0")/.."
. bench/common.sh
src=$(clip 640x480 20)
at_once=4
four() {  # four copies of a case's command, at once
  local cmds=()
  for i in $(seq "$at_once"); do cmds+=("$($1 h264 "$src" "$work/$2_$i") &"); done
  bash -c "${cmds[*]} wait"
}
ours=$(best four ours_case ours)
ff=$(best four ffmpeg_case ff)
ratio "4_processes/h264" "$ours" "$ff"
one=$("$build/bin/qb_bench_batch" "$at_once" "MPEG-4 AVC" "$src" "$work" 2 | sed 's/.*wall=\([0-9.]*\).*/\1/')
ratio "1_process_4_converters/h264" "$one" "$ff"
