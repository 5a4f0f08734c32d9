#!/bin/sh
# Builds the game twice, once plainly and once with AddressSanitizer and UndefinedBehaviorSanitizer,
# and runs the whole test suite on each build. Any sanitizer report fails the run. Between the two,
# builds the browser edition (tools/build-web.sh) and runs its tests.
set -eu
cd "$(dirname "$0")/.."

jobs="${JOBS:-2}"

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"

JOBS="$jobs" tools/build-web.sh
ctest --test-dir build-web --output-on-failure -j "$jobs"

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKOSTKOLAM_SANITIZE=ON \
    -DKOSTKOLAM_BUILD_BENCH=OFF
cmake --build build-asan -j "$jobs"
ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1" \
UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
LSAN_OPTIONS="suppressions=$(pwd)/tests/lsan.supp:print_suppressions=0" \
    ctest --test-dir build-asan --output-on-failure -j "$jobs"
