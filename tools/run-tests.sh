#!/bin/sh
# Builds the game twice, once plainly and once with AddressSanitizer and UndefinedBehaviorSanitizer,
# and runs the whole test suite on each build. Any sanitizer report fails the run. Between the two,
# builds the browser edition (tools/build-web.sh, which also installs the browser tests' npm
# packages into build-web/npm) and runs its tests, those in headless chromium among them.
# With --clang it builds the game a third time with clang (tools/install-deps.sh --clang installs
# it) and runs the suite on that build too, but for its long runs: the rules' float sums must give
# the same scenario output whichever compiler built them.
# Needs what `tools/install-deps.sh --tests` installs: the tests are built whatever the default
# build would decide, so a missing package is an error here. Every build but the sanitizers' treats
# a warning as an error. Prints how long each step took, and on a failure which step and which
# tests failed.
#
#   tools/run-tests.sh [--clang]
set -eu
cd "$(dirname "$0")/.."

clang=0
case "${1:-}" in
"") ;;
--clang) clang=1 ;;
*)
    echo "usage: $0 [--clang]" >&2
    exit 2
    ;;
esac

jobs="${JOBS:-2}"

timings=""
# step NAME [BUILD_DIR] -- COMMAND...: runs COMMAND; on a failure names the step and, for a test
# step, the tests that failed (ctest's own list in BUILD_DIR), and stops the run.
step() {
    name=$1
    build_dir=$2
    shift 3
    start=$(date +%s)
    status=0
    "$@" || status=$?
    seconds=$(($(date +%s) - start))
    timings="$timings
    $(printf '%5d s  %s' "$seconds" "$name")"
    if [ "$status" -ne 0 ]; then
        echo "run-tests: FAILED: $name (exit status $status after $seconds s)"
        failed_list="$build_dir/Testing/Temporary/LastTestsFailed.log"
        if [ -n "$build_dir" ] && [ -s "$failed_list" ]; then
            sed 's/^[0-9]*:/run-tests: FAILED test: /' "$failed_list"
        fi
        echo "run-tests: the steps took:$timings"
        exit "$status"
    fi
    echo "run-tests: $name took $seconds s"
}

# configure_and_build BUILD_DIR CMAKE_ARGS...: configures and builds one build of the game and its tests.
configure_and_build() {
    into=$1
    shift
    cmake -S . -B "$into" -G Ninja "$@" && cmake --build "$into" -j "$jobs"
}

step "plain build" "" -- configure_and_build build -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DKOSTKOLAM_BUILD_TESTS=ON -DKOSTKOLAM_BUILD_BENCH=ON -DCMAKE_COMPILE_WARNING_AS_ERROR=ON
step "plain tests" build -- ctest --test-dir build --output-on-failure -j "$jobs"

step "browser edition build" "" -- env JOBS="$jobs" tools/build-web.sh
step "browser edition tests" build-web -- ctest --test-dir build-web --output-on-failure -j "$jobs"

step "sanitizer build" "" -- configure_and_build build-asan -DCMAKE_BUILD_TYPE=Debug \
    -DKOSTKOLAM_SANITIZE=ON -DKOSTKOLAM_BUILD_TESTS=ON -DKOSTKOLAM_BUILD_BENCH=OFF
step "sanitizer tests" build-asan -- env \
    ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1" \
    UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
    LSAN_OPTIONS="suppressions=$(pwd)/tests/lsan.supp:print_suppressions=0" \
    ctest --test-dir build-asan --output-on-failure -j "$jobs"

if [ "$clang" -eq 1 ]; then
    step "clang build" "" -- configure_and_build build-clang -DCMAKE_CXX_COMPILER=clang++ \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKOSTKOLAM_BUILD_TESTS=ON -DKOSTKOLAM_BUILD_BENCH=ON \
        -DCMAKE_COMPILE_WARNING_AS_ERROR=ON
    step "clang tests" build-clang -- ctest --test-dir build-clang --output-on-failure -j "$jobs" \
        --label-exclude long
fi

echo "run-tests: every test passed; the steps took:$timings"
