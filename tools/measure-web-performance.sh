#!/bin/bash
# Measures the browser edition beside the desktop game in one run (tools/measure-web-performance.mjs
# says what and how): builds the page (tools/build-web.sh, into build-web/) and the desktop game's
# autoplay bench (build/, RelWithDebInfo), starts a private Xvfb for the desktop game, and writes
# build-web/performance/results.md and raw.jsonl.
#
#   tools/measure-web-performance.sh
#
# Environment: as tools/measure-web-performance.mjs (RUNS, PLAY_RUNS, PLAY_SECONDS, IDLE_SECONDS,
# PHASES, QUIET_LOAD, QUIET_WAIT), and BUILD_DIR (the desktop build, default build). The browser
# and the pinned puppeteer-core are the browser tests' (build-web/npm). Run by hand; the tests do
# not run it.
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
cd "$repo"
# shellcheck source=tools/x-session.sh
. "$repo/tools/x-session.sh"
build=${BUILD_DIR:-$repo/build}
out=${OUT_DIR:-$repo/build-web/performance}

# The browser edition's tools (Emscripten, node, npm, chromium) and the private display's.
"$repo/tools/install-deps.sh" --tests
install_packages x11-utils
JOBS=2 tools/build-web.sh >/dev/null
cmake --build build-web -j2 --target kostkolam-page-bench
cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2 --target kostkolam-autoplay

mkdir -p "$out"
xvfb_pid=""
cleanup() { stop_processes "$xvfb_pid"; }
trap cleanup EXIT
# Display numbers apart from the desktop study's (:173) and the test suites'.
start_xvfb measure-web-performance 174 199 "$out/xvfb.log" -br
fresh_home "$out"
XVFB_PID=$xvfb_pid AUTOPLAY=$build/bench/kostkolam-autoplay OUT_DIR=$out \
    node "$repo/tools/measure-web-performance.mjs"
