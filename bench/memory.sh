#!/usr/bin/env bash
# Peak memory (maximum resident set) of one conversion and of ten at once
# ("MPEG-4 AVC", 640x480 20-second clip): ten quillbrook-convert processes
# (the sum of their peaks) and one process running ten converters.
#   bench/memory.sh
set -euo pipefail
cd "$(dirname "$0")/.."
. bench/common.sh
src=$(clip 640x480 20)
peak_mb() { /usr/bin/time -f %M -o "$1" "${@:2}" >/dev/null 2>&1; echo "scale=1; $(cat "$1") / 1024" | bc; }
echo "1_process_1_conversion peak_rss_mb=$(peak_mb "$work/t0" bash -c "exec $(ours_case h264 "$src" "$work/one")")"
for i in $(seq 10); do
  /usr/bin/time -f %M -o "$work/t$i" bash -c "exec $(ours_case h264 "$src" "$work/ten_$i")" >/dev/null 2>&1 &
done
wait
total=0
for i in $(seq 10); do total=$((total + $(cat "$work/t$i"))); done
echo "10_processes_at_once peak_rss_mb_sum=$(echo "scale=1; $total / 1024" | bc)"
"$build/bin/qb_bench_batch" 1 "MPEG-4 AVC" "$src" "$work" 2 | sed 's/^/1_process_/'
"$build/bin/qb_bench_batch" 10 "MPEG-4 AVC" "$src" "$work" 2 | sed 's/^/1_process_/'
