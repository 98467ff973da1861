#!/usr/bin/env bash
# Sanitizer variants of the test suite, without the GUI (docs/PERFORMANCE.md
# says which tests each runs and what they add to CI time):
#   address  - AddressSanitizer + UndefinedBehaviorSanitizer over the core tests
#              (build-asan/)
#   thread   - ThreadSanitizer over the concurrency tests (build-tsan/)
# Usage: scripts/test-sanitizers.sh [address|thread]...   (default: both)
set -euo pipefail
cd "$(dirname "$0")/.."
variants=("$@")
[ ${#variants[@]} -eq 0 ] && variants=(address thread)
jobs=$(nproc)
opt="-O1 -g1"

# Core tests: every test of the persistence, media-extension, converter and
# CLI programs (the GUI's programs are not built).
address_programs=(test_common test_media test_converter test_cli)
address_tests='.'
# Concurrency: several converters (also with codec threads), pause/stop, a stop
# during setup, the stress run, task execution.
thread_programs=(test_converter test_commongui)
thread_tests='^(ConverterThreads|ConverterTargetSizeThreads|HeadlessDispatcher|ConverterPause|ConverterState|ConverterStress|ConverterFailures|LockManager|TaskExecution|TaskDatabaseSafety)[./]'

for v in "${variants[@]}"; do
  dir="build-${v:0:1}san"  # build-asan, build-tsan
  programs="${v}_programs[@]"
  tests="${v}_tests"
  # -O1 -g1: a third less compile time than -O2 -g, still with line numbers in reports.
  cmake -S . -B "$dir" -DQB_SANITIZE="$v" -DQB_BUILD_GUI=OFF "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=$opt" \
    "-DCMAKE_C_FLAGS_RELWITHDEBINFO=$opt" >/dev/null
  cmake --build "$dir" -j"$jobs" --target "${!programs}"
  LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp \
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1:suppressions=$PWD/scripts/tsan.supp \
    ctest --test-dir "$dir" -j"$jobs" --output-on-failure -R "${!tests}" -E _NOT_BUILT
done
