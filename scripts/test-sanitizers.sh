#!/usr/bin/env bash
# Installs what is missing, builds the tests with AddressSanitizer and UndefinedBehaviorSanitizer (Debug,
# in build-sanitize/, beside the normal build) and runs every test there: a memory error, a leak or
# undefined behaviour fails the suite of the test that causes it (a suite's tests share a process).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build="$here/build-sanitize"
"$here/scripts/install-deps.sh"
# Also in force while the build lists the tests, which runs the test programs.
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:strict_string_checks=1:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$here/tests/sanitizer/lsan.supp:print_suppressions=0"
export QT_QPA_PLATFORM=offscreen
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTARVELO_SANITIZE=ON -DTARVELO_BUILD_BENCH=OFF -DTARVELO_WERROR=ON >/dev/null
cmake --build "$build" -j"$(nproc)"
cd "$build"
ctest --output-on-failure -j"$(nproc)" --timeout 1200
