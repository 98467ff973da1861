#!/usr/bin/env bash
# Configures and builds into build/ (binaries in build/bin/). Extra arguments
# go to CMake's configure step, e.g. -DQB_SANITIZE=thread -B build-tsan.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=build
for a in "$@"; do case "$a" in -B*) dir="${a#-B}";; esac; done
args=()
# ccache, when installed, lets several checkouts of the tree share objects.
if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR="$PWD"
  args+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
for a in "$@"; do case "$a" in -B*) ;; *) args+=("$a");; esac; done
cmake -S . -B "$dir" "${args[@]}" >/dev/null
cmake --build "$dir" -j"$(nproc)"
