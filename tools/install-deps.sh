#!/bin/sh
# Installs what building, playing and testing the game need on Debian 12. Runs apt-get as root,
# through sudo when started by another user.
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
