#!/usr/bin/env bash
# Speed of the "AV1 MKV(*.mkv)" profile on a 1280x720, 25 fps clip, on two
# cores, against the ffmpeg CLI with the same encoder settings; hyperfine
# medians. One line per side:
#   av1/1280x720 <side> median=<s> realtime=<clip seconds / median>
# Run by hand after building the CLI:
#   BENCH_REPS=3 bench/av1_speed.sh [seconds]
set -euo pipefail
cd "$(dirname "$0")/.."
. bench/common.sh
length=${1:-20}
src=$(clip 1280x720 "$length")
pin=(taskset -c 0,1)
ours="${pin[*]} ${cli@Q} --threads 2 --profile 'AV1 MKV(*.mkv)' ${src@Q} $work/ours.mkv"
ff="${pin[*]} ffmpeg -y -hide_banner -loglevel error -i ${src@Q} -threads 2 -c:v libsvtav1 -preset 10 -crf 35 \
-b:v 0 -pix_fmt yuv420p -c:a libopus -b:a 128k -ar 48000 -ac 2 $work/ff.mkv"
hyperfine --style none --warmup 0 --runs "$reps" --export-json "$work/av1.json" -n ours "$ours" -n ffmpeg "$ff" \
  >/dev/null 2>&1
python3 - "$work/av1.json" "$length" <<'PY'
import json, sys
runs = json.load(open(sys.argv[1]))["results"]
for r in runs:
    print(f"av1/1280x720 {r['command']} median={r['median']:.2f} realtime={float(sys.argv[2]) / r['median']:.2f}")
PY
