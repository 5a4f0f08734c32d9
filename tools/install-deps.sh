#!/bin/sh
# Installs from Debian 12 or 13 what is missing for building and playing the desktop game, and
# with --tests what the whole test suite needs as well. Runs apt-get as root, through sudo when
# started by another user.
#
#   tools/install-deps.sh            the README's play command: the compiler, CMake, Qt, the
#                                    number libraries, the labels' fonts and pod2man; no test
#                                    tools, no browser, no WebAssembly compiler
#   tools/install-deps.sh --tests    the README's test command: also GoogleTest and Google
#                                    Benchmark, the desktop and package checkers, the private X
#                                    display of the recorded games, and the browser edition's
#                                    Emscripten, node, npm and chromium
#   tools/install-deps.sh --clang    also Debian's clang, for the third build of
#                                    `tools/run-tests.sh --clang`
#
# --web is the older name of --tests and does the same. Every package has the same name in Debian
# 12 and 13.
set -eu

packages="
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libgl-dev
    libfmt-dev libfast-float-dev
    fonts-dejavu-core
    perl
"
test_packages="
    libgtest-dev libgmock-dev libbenchmark-dev
    desktop-file-utils appstream dpkg-dev file lintian
    xvfb xdotool openbox
    emscripten nodejs npm chromium
"

for option in "$@"; do
    case "$option" in
    --tests | --web) packages="$packages $test_packages" ;;
    --clang) packages="$packages clang" ;;
    *)
        echo "usage: $0 [--tests] [--clang]" >&2
        exit 2
        ;;
    esac
done

if [ "$(id -u)" -eq 0 ]; then
    run_as_root=""
else
    run_as_root="sudo"
fi

missing=""
for p in $packages; do
    # A node installed from elsewhere brings its own npm, which Debian's npm package would
    # conflict with.
    if [ "$p" = npm ] && command -v npm >/dev/null 2>&1; then
        continue
    fi
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done

if [ -n "$missing" ]; then
    export DEBIAN_FRONTEND=noninteractive
    $run_as_root apt-get update -q
    # shellcheck disable=SC2086
    $run_as_root apt-get install -y -q --no-install-recommends $missing
fi
