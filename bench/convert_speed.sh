#!/usr/bin/env bash
# Conversion speed of this engine (through the CLI) against the ffmpeg CLI with
# the same settings, whole processes, interleaved hyperfine rounds (see
# compare in common.sh). One line per case:
#   <case>/<size> ours=<s> other=<s> ratio=<ours/other> ours_cpu=.. other_cpu=.. cpu_ratio=.. runs=<n> load=<min-max>
# Run by hand after `cmake --build build --target bench`:
#   bench/convert_speed.sh [CASE-REGEX]      e.g. 'copy' or 'h264/1920'
# Clips: testsrc2 + sine, MPEG-4 + PCM AVI, 25 fps, 20 s; the 1920x1080 ones
# with moving grain (noise), 10 s (3 s for HEVC, which is slow at that size).
set -euo pipefail
cd "$(dirname "$0")/.."
. bench/common.sh
only=${1:-.}

run_case() {  # run_case CASE SIZE SOURCE
  local name="$1/$2"
  [[ $name =~ $only ]] || return 0
  compare "$name" "$(ours_case "$1" "$3" "$work/ours_$1")" "$(ffmpeg_case "$1" "$3" "$work/ff_$1")"
}

for size in 640x480 1280x720; do
  src=$(clip "$size" 20)
  for c in h264 mpeg4 dvd copy; do run_case "$c" "$size" "$src"; done
done
big=$(noisy_clip 1920x1080 10)
for c in h264 copy; do run_case "$c" 1920x1080 "$big"; done
if "$cli" --list-profiles | cut -f2 | grep -qxF 'H.265/HEVC MP4(*.mp4)'; then
  run_case hevc 1920x1080 "$(noisy_clip 1920x1080 3)"
fi
