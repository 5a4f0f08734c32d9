#!/bin/sh
# Builds the game twice, once plainly and once with AddressSanitizer and UndefinedBehaviorSanitizer,
# and runs the whole test suite on each build. Any sanitizer report fails the run. Between the two,
# builds the browser edition (tools/build-web.sh, which also installs the browser tests' npm
# packages into build-web/npm) and runs its tests, those in headless chromium among them.
# Needs what `tools/install-deps.sh --tests` installs: the tests are built whatever the default
# build would decide, so a missing package is an error here. Prints how long each step took.
set -eu
cd "$(dirname "$0")/.."

jobs="${JOBS:-2}"

timings=""
step() {
    name=$1
    shift
    start=$(date +%s)
    "$@"
    seconds=$(($(date +%s) - start))
    timings="$timings
    $(printf '%5d s  %s' "$seconds" "$name")"
    echo "run-tests: $name took $seconds s"
}

step "plain build" sh -c '
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DKOSTKOLAM_BUILD_TESTS=ON -DKOSTKOLAM_BUILD_BENCH=ON
    cmake --build build -j "$1"' sh "$jobs"
step "plain tests" ctest --test-dir build --output-on-failure -j "$jobs"

step "browser edition build" env JOBS="$jobs" tools/build-web.sh
step "browser edition tests" ctest --test-dir build-web --output-on-failure -j "$jobs"

step "sanitizer build" sh -c '
    cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKOSTKOLAM_SANITIZE=ON \
        -DKOSTKOLAM_BUILD_TESTS=ON -DKOSTKOLAM_BUILD_BENCH=OFF
    cmake --build build-asan -j "$1"' sh "$jobs"
step "sanitizer tests" env \
    ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1" \
    UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
    LSAN_OPTIONS="suppressions=$(pwd)/tests/lsan.supp:print_suppressions=0" \
    ctest --test-dir build-asan --output-on-failure -j "$jobs"

echo "run-tests: every test passed; the steps took:$timings"
