#!/usr/bin/env bash
# How well conversions fit a target size (--target-size), through the CLI.
# One line per case:
#   <case> target=<bytes> result=<bytes> fill=<result/target> passes=<n> corrective=<yes|no>
#     wall=<s> corrective_s=<s of the corrective pass, when it ran> exit=<status>
# Run by hand after building:   bench/target_size.sh [CASE-REGEX]
# Clips (ffmpeg CLI): testsrc2 under moving grain (hard to compress), a still
# scene (easy), a slide show, talking-head-like blur, and sound-only files.
set -euo pipefail
cd "$(dirname "$0")/.."
. bench/common.sh
only=${1:-.}

# gen NAME SECONDS SIZE VIDEO-FILTER: an H.264 + AAC MP4 of the content; prints its path.
gen() {
  local path="$work/$1.mp4"
  [ -f "$path" ] || ffmpeg -hide_banner -loglevel error -f lavfi -i "$4" -f lavfi \
    -i "sine=frequency=440:sample_rate=48000:duration=$2" -t "$2" -s "$3" -c:v libx264 -preset ultrafast -qp 12 \
    -c:a aac -b:a 192k "$path"
  echo "$path"
}

noisy() { gen "noisy_$1_$2" "$2" "$1" "testsrc2=size=$1:rate=25,noise=alls=20:allf=t+u"; }
still() { gen "still_$1_$2" "$2" "$1" "smptebars=size=$1:rate=25"; }
slides() { gen "slides_$1_$2" "$2" "$1" "testsrc=size=$1:rate=25,select='not(mod(n\,100))',setpts=N*4/TB"; }
blurry() { gen "blurry_$1_$2" "$2" "$1" "mandelbrot=size=$1:rate=25,boxblur=4"; }
song() {
  local path="$work/song_$1.flac"
  [ -f "$path" ] || ffmpeg -hide_banner -loglevel error -f lavfi -i "sine=f=300:d=$1" -f lavfi \
    -i "anoisesrc=d=$1:a=0.3" -filter_complex amix -ac 2 -c:a flac "$path"
  echo "$path"
}

# fit NAME PROFILE SIZE SOURCE [CLI OPTIONS...]: converts, measures, prints the line.
fit() {
  local name=$1 profile=$2 size=$3 src=$4
  shift 4
  [[ $name =~ $only ]] || return 0
  local ext log="$work/$name.log" status=0
  ext=$("$cli" --list-profiles | awk -F'\t' -v p="$profile" '$2 == p { print $3 }')
  local out="$work/out_$name$ext"
  local start end
  start=$(date +%s.%N)
  # Each stderr line stamped, so the corrective pass can be timed from its notice.
  "$cli" --profile "$profile" --target-size "$size" "$@" "$src" "$out" 2>&1 </dev/null |
    while IFS= read -r line; do printf '%s %s\n' "$(date +%s.%N)" "$line"; done >"$log" || status=$?
  end=$(date +%s.%N)
  [ -f "$out" ] || status=1
  grep -q '^[0-9.]* progress=100%' "$log" || status=1
  local target result fix corr=no corr_s=0 passes
  target=$(python3 -c "print(int(float('${size%?}') * {'K': 1024, 'M': 1048576, 'G': 1073741824}['${size: -1}']))")
  result=$(stat -c %s "$out" 2>/dev/null || echo 0)
  passes=$(grep -o 'two passes\|one pass' "$log" | head -1 | sed 's/two passes/2/;s/one pass/1/' || true)
  fix=$(grep -m1 'pass again' "$log" | cut -d' ' -f1 || true)
  if [ -n "$fix" ]; then corr=yes; corr_s=$(echo "$end - $fix" | bc -l); fi
  printf '%s target=%s result=%s fill=%.3f passes=%s corrective=%s wall=%.1f corrective_s=%.1f exit=%s\n' \
    "$name" "$target" "$result" "$(echo "$result / $target" | bc -l)" "${passes:-0}" "$corr" \
    "$(echo "$end - $start" | bc -l)" "$corr_s" "$status"
  grep -m1 'too small\|larger than the target' "$log" | cut -d' ' -f2- || true
  rm -f "$out"
}

# The cases people bring, each at a size that is tight for it.
fit avc_noisy720_60 "MPEG-4 AVC" 5M "$(noisy 1280x720 60)"
fit divx_noisy720_60 "DivX影片(*.avi)" 5M "$(noisy 1280x720 60)"
fit hevc_noisy720_60 "H.265/HEVC MP4(*.mp4)" 5M "$(noisy 1280x720 60)"
fit avc_still720_60 "MPEG-4 AVC" 5M "$(still 1280x720 60)"
fit avc_noisy720_trim20 "MPEG-4 AVC" 2M "$(noisy 1280x720 60)" --start 20 --end 40
fit avc_refused "MPEG-4 AVC" 0.05M "$(noisy 1280x720 60)"
# Ten clips of other content and length.
fit c01_noisy480_30 "H.264 MP4 通用(*.mp4)" 3M "$(noisy 640x480 30)"
fit c02_noisy1080_10 "MPEG-4 AVC" 4M "$(noisy 1920x1080 10)"
fit c03_slides720_120 "MPEG-4 AVC" 2M "$(slides 1280x720 120)"
fit c04_blurry480_45 "DivX影片(*.avi)" 2M "$(blurry 640x480 45)"
fit c05_still480_90 "H.264 MP4 通用(*.mp4)" 1M "$(still 640x480 90)"
fit c06_noisy360_20 "WebM VP9(*.webm)" 1M "$(noisy 640x360 20)"
fit c07_blurry720_30 "AV1 MKV(*.mkv)" 3M "$(blurry 1280x720 30)"
fit c08_noisy480_60_dvd "DVD MPEG TS(PAL)" 8M "$(noisy 640x480 60)"
fit c09_song_180_aac "M4A AAC Audio(*.m4a)" 2M "$(song 180)"
fit c10_song_240_mp3 "MP3 Audio" 3M "$(song 240)"
# A batch: every file gets the same size.
if [[ batch =~ $only ]]; then
  mkdir -p "$work/batch_in" "$work/batch_out"
  for s in 20 40 90; do cp "$(noisy 1280x720 "$s")" "$work/batch_in/noisy_$s.mp4"; done
  "$cli" --profile "MPEG-4 AVC" --target-size 3M "$work/batch_in" --output-dir "$work/batch_out" >/dev/null 2>&1 || true
  find "$work/batch_out" -type f | sort | while read -r f; do
    printf 'batch_%s target=3145728 result=%s fill=%.3f\n' "$(basename "$f")" "$(stat -c %s "$f")" \
      "$(echo "$(stat -c %s "$f") / 3145728" | bc -l)"
  done
fi
