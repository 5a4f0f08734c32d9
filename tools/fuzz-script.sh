#!/bin/sh
# Builds the libFuzzer target for kostkolam-script's input with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs it for the given number of seconds (default 600). The corpus
# grows in fuzz/corpus/script, seeded from the scenario files.
set -eu
cd "$(dirname "$0")/.."
seconds="${1:-600}"

CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DKOSTKOLAM_WITH_QT=OFF -DKOSTKOLAM_BUILD_TESTS=OFF -DKOSTKOLAM_BUILD_BENCH=OFF \
    -DKOSTKOLAM_SANITIZE=ON -DKOSTKOLAM_LIBFUZZER=ON
cmake --build build-fuzz -j 2 --target script_fuzz_target

mkdir -p fuzz/corpus/script build-fuzz/seeds
find tests/scenarios -name '*.txt' -exec cp {} build-fuzz/seeds/ \;
build-fuzz/fuzz/script_fuzz_target fuzz/corpus/script build-fuzz/seeds \
    -max_total_time="$seconds" -max_len=2048 -timeout=60 -rss_limit_mb=4096 \
    -dict=fuzz/script.dict -print_final_stats=1
