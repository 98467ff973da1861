#!/usr/bin/env bash
# Installs, builds and runs the whole test suite, builds, installs, checks and
# removes the Debian package, then runs the sanitizer variants
# (QB_SKIP_SANITIZERS=1 leaves those out for a quicker local run).
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
./scripts/build.sh
ctest --test-dir build -j"$(nproc)" --output-on-failure
./scripts/test-package.sh
if [ "${QB_SKIP_SANITIZERS:-0}" != 1 ]; then
  ./scripts/test-sanitizers.sh
fi
