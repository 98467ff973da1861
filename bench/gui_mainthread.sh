#!/usr/bin/env bash
# Share of a core that the GUI's main thread spends while the main window shows
# one running DVD conversion ("DVD MPEG TS(PAL)", 640x480 60-second clip), read
# from /proc/self/task/<main thread>/stat and schedstat; once with the paced
# row repaints and once repainting at every progress notice, as before; then a
# stream copy of the same clip into Matroska, where the worker does little but
# wait for the main thread.
#   bench/gui_mainthread.sh
set -euo pipefail
cd "$(dirname "$0")/.."
. bench/common.sh
src=$(clip 640x480 60)
for mode in "" --every-packet; do
  QT_QPA_PLATFORM=offscreen "$build/bin/qb_bench_gui_mainthread" "$src" 'DVD MPEG TS(PAL)' $mode
done
QT_QPA_PLATFORM=offscreen "$build/bin/qb_bench_gui_mainthread" "$src" 'Matroska Video(.mkv)' --copy
