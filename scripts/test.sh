#!/usr/bin/env bash
# Installs, builds and runs the whole test suite, builds, installs, checks and
# removes the Debian package, then runs the sanitizer variants
# (QB_SKIP_SANITIZERS=1 leaves those out for a quicker local run).
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
./scripts/build.sh
ctest --test-dir build -j"$(nproc)" --output-on-failure
# The whole suite once more where the decimal separator is a comma
# (scripts/setup.sh makes the locale). Every test program adopts the locale of
# its environment (tests/LocaleTestMain.cpp; the GUI tests through Qt, as the
# program does): stored files and option texts must not follow it.
LC_ALL=de_DE.UTF-8 ctest --test-dir build -j"$(nproc)" --output-on-failure
./scripts/test-package.sh
if [ "${QB_SKIP_SANITIZERS:-0}" != 1 ]; then
  ./scripts/test-sanitizers.sh
fi
