# Shared by the bench scripts (sourced): build folder, scratch folder, clips, timing.
build=${BENCH_BUILD:-build}
reps=${BENCH_REPS:-3}
# Interleaved comparisons: rounds of hyperfine, runs of each side per round.
rounds=${BENCH_ROUNDS:-5}
runs=${BENCH_RUNS:-2}
results=${BENCH_RESULTS:-$build/bench-results}
cli="$build/bin/quillbrook-convert"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$results"

# clip SIZE SECONDS: a generated MPEG-4 + PCM AVI clip; prints its path.
clip() {
  local path="$work/clip_$1_$2.avi"
  [ -f "$path" ] || ffmpeg -hide_banner -loglevel error -f lavfi -i "testsrc2=size=$1:rate=25:duration=$2" \
    -f lavfi -i "sine=frequency=440:sample_rate=44100:duration=$2" -ac 2 -c:v mpeg4 -q:v 3 -c:a pcm_s16le "$path"
  echo "$path"
}

# noisy_clip SIZE SECONDS: the same with moving grain over the picture, which
# costs encoders and decoders what real footage does; prints its path.
noisy_clip() {
  local path="$work/noisy_$1_$2.avi"
  [ -f "$path" ] || ffmpeg -hide_banner -loglevel error -f lavfi -i "testsrc2=size=$1:rate=25:duration=$2" \
    -f lavfi -i "sine=frequency=440:sample_rate=44100:duration=$2" -vf "noise=alls=20:allf=t+u" -ac 2 \
    -c:v mpeg4 -q:v 3 -c:a pcm_s16le "$path"
  echo "$path"
}

# seconds CMD...: wall-clock seconds of one run of CMD (output discarded).
seconds() {
  local s e
  s=$(date +%s.%N)
  "$@" >/dev/null 2>&1
  e=$(date +%s.%N)
  echo "$e - $s" | bc -l
}

# best CMD...: the best of $reps runs.
best() {
  local b="" t
  for _ in $(seq "$reps"); do
    t=$(seconds "$@")
    if [ -z "$b" ] || [ "$(echo "$t < $b" | bc -l)" = 1 ]; then b=$t; fi
  done
  echo "$b"
}

# compare NAME OURS-CMD OTHER-CMD: whole-process times of both commands,
# interleaved: $rounds rounds of hyperfine, each with one warm-up and $runs runs
# of each side, the order swapped every round; every round exported as JSON
# to $results/NAME.<round>.json with the load average beside it. Prints the
# medians and ratios of all runs (summarise.py) and the load range.
compare() {
  local name=$1 ours=$2 other=$3 r loads=()
  local file=${name//\//_}
  rm -f "$results/$file".*.json
  for r in $(seq "$rounds"); do
    loads+=("$(cut -d' ' -f1 /proc/loadavg)")
    local first=(-n ours "$ours") second=(-n other "$other")
    if (( r % 2 == 0 )); then first=(-n other "$other"); second=(-n ours "$ours"); fi
    hyperfine -N --style none --warmup 1 --runs "$runs" --export-json "$results/$file.$r.json" \
      "${first[@]}" "${second[@]}" >/dev/null
  done
  loads+=("$(cut -d' ' -f1 /proc/loadavg)")
  printf '%s load=%s\n' "$(python3 bench/summarise.py "$name" "$results/$file".*.json)" \
    "$(printf '%s\n' "${loads[@]}" | sort -g | sed -n '1p;$p' | paste -sd-)"
}

# ratio NAME OURS FFMPEG: one result line.
ratio() {
  printf '%s ours=%.2f ffmpeg=%.2f ratio=%.3f\n' "$1" "$2" "$3" "$(echo "$2 / $3" | bc -l)"
}

# The options the "MPEG-4 AVC" profile gives libx264 (basic preset), in today's names.
x264=(-coder 1 -flags +loop -cmp +chroma -partitions i8x8,i4x4,p8x8,b8x8 -motion-est hex -subq 7 -me_range 16
      -g 250 -keyint_min 25 -sc_threshold 40 -i_qfactor 0.71 -b_strategy 1 -qcomp 0.6 -qmin 10 -qmax 51
      -qdiff 4 -bf 3 -refs 3 -direct-pred 1 -trellis 1 -mixed-refs 1 -weightb 1 -8x8dct 1 -fast-pskip 1
      -mbtree 1 -weightp 2 -mbd rd -level 41)

# ffmpeg_case CASE SOURCE TARGET-STEM: the ffmpeg CLI command equal to CASE.
# `--threads 2` gives every decoder and encoder two threads; ffmpeg's -threads
# after -i reaches only the encoders (its decoders would take processors + 1),
# so it is given before -i too.
ffmpeg_case() {
  local ff=(ffmpeg -y -hide_banner -loglevel error -threads 2 -i "$2" -threads 2)
  case "$1" in
    h264) echo "${ff[@]@Q}" -c:v libx264 -b:v 768k -s 320x240 -r 30000/1001 "${x264[@]}" \
            -c:a aac -b:a 64k -ar 44100 -ac 2 "${3@Q}.mp4" ;;
    mpeg4) echo "${ff[@]@Q}" -c:v mpeg4 -b:v 1200k -s 320x240 -r 25 -c:a libmp3lame -b:a 128k -ar 48000 -ac 2 \
            "${3@Q}.avi" ;;
    dvd) echo "${ff[@]@Q}" -f dvd -c:v mpeg2video -b:v 6000k -s 720x576 -r 25 -c:a ac3 -b:a 448k -ar 48000 -ac 2 \
            "${3@Q}.vob" ;;
    copy) echo "${ff[@]@Q}" -c copy "${3@Q}.mkv" ;;
    hevc) echo "${ff[@]@Q}" -c:v libx265 -crf 28 -tag:v hvc1 -c:a aac -b:a 160k -ar 48000 -ac 2 "${3@Q}.mp4" ;;
  esac
}

# ours_case CASE SOURCE TARGET-STEM: the same conversion through quillbrook-convert.
ours_case() {
  case "$1" in
    h264) echo "${cli@Q}" --threads 2 --profile "'MPEG-4 AVC'" "${2@Q}" "${3@Q}.mp4" ;;
    mpeg4) echo "${cli@Q}" --threads 2 --profile "'DivX影片(*.avi)'" "${2@Q}" "${3@Q}.avi" ;;
    dvd) echo "${cli@Q}" --threads 2 --profile "'DVD MPEG TS(PAL)'" "${2@Q}" "${3@Q}.vob" ;;
    hevc) echo "${cli@Q}" --threads 2 --profile "'H.265/HEVC MP4(*.mp4)'" "${2@Q}" "${3@Q}.mp4" ;;
    copy) "$build/bin/qb_bench_copy_settings" "$2" "$3.mkv" > "$3.xml"
          echo "${cli@Q}" --settings "${3@Q}.xml" ;;
  esac
}
