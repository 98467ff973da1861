#!/usr/bin/env bash
# Conversion speed of this engine (through the CLI) against the ffmpeg CLI with
# equivalent settings, on the same generated 20-second 640x480 clip, measured
# side by side in one run. Prints one line per case:
#   <case> ours=<s> ffmpeg=<s> ratio=<ours/ffmpeg>
# Run by hand: bench/convert_speed.sh [build-dir] [repetitions]
set -euo pipefail
build=${1:-build}
reps=${2:-3}
cli="$build/bin/quillbrook-convert"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
clip="$work/clip.avi"
ffmpeg -hide_banner -loglevel error -f lavfi -i testsrc2=size=640x480:rate=25:duration=20 \
  -f lavfi -i sine=frequency=440:sample_rate=44100:duration=20 -ac 2 -c:v mpeg4 -q:v 3 -c:a pcm_s16le "$clip"

# Best of $reps wall-clock runs of a command, in seconds.
best() {
  local best_s=""
  for _ in $(seq "$reps"); do
    local s e t
    s=$(date +%s.%N)
    "$@" >/dev/null 2>&1
    e=$(date +%s.%N)
    t=$(echo "$e - $s" | bc -l)
    if [ -z "$best_s" ] || [ "$(echo "$t < $best_s" | bc -l)" = 1 ]; then best_s=$t; fi
  done
  echo "$best_s"
}

report() {
  printf '%s ours=%.2f ffmpeg=%.2f ratio=%.3f\n' "$1" "$2" "$3" "$(echo "$2 / $3" | bc -l)"
}

# The options the "MPEG-4 AVC" profile gives libx264 (basic preset), in today's names.
x264=(-coder 1 -flags +loop -cmp +chroma -partitions i8x8,i4x4,p8x8,b8x8 -motion-est hex -subq 7 -me_range 16
      -g 250 -keyint_min 25 -sc_threshold 40 -i_qfactor 0.71 -b_strategy 1 -qcomp 0.6 -qmin 10 -qmax 51
      -qdiff 4 -bf 3 -refs 3 -direct-pred 1 -trellis 1 -mixed-refs 1 -weightb 1 -8x8dct 1 -fast-pskip 1
      -mbtree 1 -weightp 2 -mbd rd -level 41)

ours=$(best "$cli" --threads 2 --profile "MPEG-4 AVC" "$clip" "$work/ours.mp4")
ff=$(best ffmpeg -y -hide_banner -loglevel error -i "$clip" -threads 2 -c:v libx264 -b:v 768k -s 320x240 \
  -r 30000/1001 "${x264[@]}" -c:a aac -b:a 64k -ar 44100 -ac 2 "$work/ff.mp4")
report "libx264+aac/mp4" "$ours" "$ff"

ours=$(best "$cli" --threads 2 --profile "DivX影片(*.avi)" "$clip" "$work/ours.avi")
ff=$(best ffmpeg -y -hide_banner -loglevel error -i "$clip" -threads 2 -c:v mpeg4 -b:v 1200k -s 320x240 -r 25 \
  -c:a libmp3lame -b:a 128k -ar 48000 -ac 2 "$work/ff.avi")
report "mpeg4+mp3/avi" "$ours" "$ff"

ours=$(best "$cli" --threads 2 --profile "DVD MPEG TS(PAL)" "$clip" "$work/ours.vob")
ff=$(best ffmpeg -y -hide_banner -loglevel error -i "$clip" -threads 2 -f dvd -c:v mpeg2video -b:v 6000k \
  -s 720x576 -r 25 -c:a ac3 -b:a 448k -ar 48000 -ac 2 "$work/ff.vob")
report "mpeg2+ac3/dvd" "$ours" "$ff"

