#!/bin/sh
# Installs what building and playing the game need on Debian 12, the default build's tests and
# benchmarks included. Runs apt-get as root, through sudo when started by another user.
#
#   tools/install-deps.sh [--web]
#
# --web adds what the browser edition and its tests need (Emscripten and node): the README's
# test command installs them, a player building the desktop game does not.
set -eu

packages="
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libgl-dev
    libfmt-dev libfast-float-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    fonts-dejavu-core
    desktop-file-utils appstream dpkg-dev file lintian
    xvfb xdotool openbox
"
web_packages="
    emscripten nodejs
"

case "${1:-}" in
"") ;;
--web) packages="$packages $web_packages" ;;
*)
    echo "usage: $0 [--web]" >&2
    exit 2
    ;;
esac

if [ "$(id -u)" -eq 0 ]; then
    run_as_root=""
else
    run_as_root="sudo"
fi

missing=""
for p in $packages; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done

if [ -n "$missing" ]; then
    export DEBIAN_FRONTEND=noninteractive
    $run_as_root apt-get update -q
    # shellcheck disable=SC2086
    $run_as_root apt-get install -y -q --no-install-recommends $missing
fi
