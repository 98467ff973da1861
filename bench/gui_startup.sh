#!/usr/bin/env bash
# Start-up of the GUI (offscreen) with TASKS finished tasks in one category
# (default 10000), and the time to show that category: medians of 5 runs.
#   bench/gui_startup.sh [tasks]
set -euo pipefail
cd "$(dirname "$0")/.."
QT_QPA_PLATFORM=offscreen "${BENCH_BUILD:-build}/bin/qb_bench_gui_startup" "${1:-10000}" 2>/dev/null
