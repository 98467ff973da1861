#!/usr/bin/env bash
# "IPhone H264 Video" against HandBrakeCLI (Debian package handbrake-cli) with
# the same encoder settings: x264 at its medium preset (what the profile's
# options amount to), average bit rate 1000 kbit/s, 480x320, 29.97 fps, AAC
# 128 kbit/s 48 kHz stereo. Whole processes, interleaved hyperfine rounds
# (compare in common.sh), then the quality of both outputs: SSIM of each
# against the source scaled to 480x320, and the output sizes.
#   [BENCH_THREADS=N] [BENCH_HB_THREADS=M] bench/handbrake.sh
# BENCH_THREADS: our codec threads (default 2; 3 runs x264 on three threads
# as HandBrake does on two processors, and our decoder on three too).
# BENCH_HB_THREADS: x264's threads in HandBrake (default: its own choice, 1.5
# per processor; its decoder takes two threads here).
# The source: 30 s at 768x432, 29.97 fps, H.264 + AAC as a phone records it;
# a zooming fractal under moving grain (detail and motion everywhere), since
# no real footage ships with the system.
set -euo pipefail
cd "$(dirname "$0")/.."
. bench/common.sh

src="$work/street_768x432.mp4"
ffmpeg -hide_banner -loglevel error -f lavfi -i "mandelbrot=size=768x432:rate=30000/1001" \
  -f lavfi -i "anoisesrc=color=pink:amplitude=0.3:sample_rate=48000" -t 30 \
  -vf "noise=alls=12:allf=t,format=yuv420p" -ac 2 -c:v libx264 -crf 18 -preset fast -c:a aac -b:a 160k "$src"

ours=("$cli" --threads "${BENCH_THREADS:-2}" --profile 'IPhone H264 Video' "$src" "$work/ours.mp4")
hb=(HandBrakeCLI -i "$src" -o "$work/hb.mp4" -f av_mp4 -e x264 --encoder-preset medium -b 1000
    -w 480 -l 320 --crop 0:0:0:0 --custom-anamorphic --no-keep-display-aspect --pixel-aspect 1:1 -r 29.97 --cfr
    -E av_aac -B 128 -R 48 --mixdown stereo)
[ -n "${BENCH_HB_THREADS:-}" ] && hb+=(-x "threads=$BENCH_HB_THREADS")
compare handbrake/768x432 "${ours[*]@Q}" "${hb[*]@Q}"

# ssim OUTPUT: SSIM (All) of OUTPUT against the source scaled to its size.
ssim() {
  ffmpeg -hide_banner -nostats -i "$1" -i "$src" \
    -lavfi "[1:v]scale=480:320:flags=bicubic,setsar=1[ref];[0:v]setsar=1[out];[out][ref]ssim" -f null - 2>&1 |
    sed -n 's/.*SSIM .* All:\([0-9.]*\).*/\1/p'
}
for side in ours hb; do
  printf '%s ssim=%s bytes=%s frames=%s\n' "$side" "$(ssim "$work/$side.mp4")" "$(stat -c %s "$work/$side.mp4")" \
    "$(ffprobe -v error -count_frames -select_streams v -show_entries stream=nb_read_frames -of csv=p=0 "$work/$side.mp4")"
done
