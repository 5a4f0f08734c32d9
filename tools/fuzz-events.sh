#!/bin/sh
# Plays random games from many seeds in the headless backend, checking the screen flow's guarantees
# after every event: SEEDS seeds (default 200) of EVENTS events each (default 100000).
set -eu
cd "$(dirname "$0")/.."
seeds="${1:-200}"
events="${2:-100000}"
cmake -S . -B build -G Ninja >/dev/null
cmake --build build -j 2 --target kostkolam-fuzz-events
build/fuzz/kostkolam-fuzz-events 1 "$seeds" "$events"
