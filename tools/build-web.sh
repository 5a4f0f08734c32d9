#!/bin/sh
# Builds the browser edition with Debian's Emscripten into build-web/ (tools/install-deps.sh --tests
# installs it): kostkolam-script for node, which plays a scenario like the desktop runner,
#   node build-web/kostkolam-script.js < scenario.txt
# and its tests, run by `ctest --test-dir build-web`.
set -eu
cd "$(dirname "$0")/.."

jobs="${JOBS:-2}"

# -O2 for code and link; the rules' own flags (-ffp-contract=off among them) come from the
# project, as on the desktop.
emcmake cmake -S . -B build-web -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" -DKOSTKOLAM_WITH_QT=OFF
cmake --build build-web -j "$jobs"
