# shellcheck shell=bash
# The set-up shared by the scripts that run the real game on a private X display (sourced, not
# run): the Debian packages they need, the game to run, a fresh home, and an Xvfb of their own.
#
#   install_packages PACKAGE...      installs with apt-get the packages that are missing
#   find_game NAME                   sets game to the absolute path of $KOSTKOLAM, or of
#                                    build/src/app/kostkolam, built first if missing (run from the
#                                    top of the repository)
#   fresh_home DIR                   exports HOME=DIR/home and XDG_RUNTIME_DIR=DIR/runtime, both
#                                    new, and drops the caller's XDG and Qt settings
#   start_xvfb NAME FIRST LAST LOG [XVFB_OPTION...]
#                                    starts Xvfb on the first free display number from FIRST to
#                                    LAST; sets display, DISPLAY and xvfb_pid
#   stop_processes PID...            ends the given processes that still run

install_packages() {
    local missing=() p as_root=""
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" ||
            missing+=("$p")
    done
    [ ${#missing[@]} -gt 0 ] || return 0
    [ "$(id -u)" -eq 0 ] || as_root="sudo"
    export DEBIAN_FRONTEND=noninteractive
    $as_root apt-get update -q
    $as_root apt-get install -y -q --no-install-recommends "${missing[@]}"
}

find_game() {
    game="${KOSTKOLAM:-build/src/app/kostkolam}"
    if [ ! -x "$game" ]; then
        if [ -n "${KOSTKOLAM:-}" ]; then
            echo "$1: no game at $game" >&2
            exit 2
        fi
        cmake -S . -B build -G Ninja >/dev/null
        cmake --build build -j 2 --target kostkolam
    fi
    game="$(cd "$(dirname "$game")" && pwd)/$(basename "$game")"
}

# A desktop session of its own, as a player who starts the game for the first time has: nothing of
# the caller's home is read or written, and whatever the game writes lands under DIR.
fresh_home() {
    mkdir -p "$1/home" "$1/runtime"
    chmod 700 "$1/runtime"
    export HOME="$1/home" XDG_RUNTIME_DIR="$1/runtime"
    unset XDG_CONFIG_HOME XDG_CACHE_HOME XDG_DATA_HOME QT_LOGGING_RULES QT_QPA_PLATFORM
}

stop_processes() {
    for pid in "$@"; do
        if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
            kill "$pid" 2>/dev/null || true
            wait "$pid" 2>/dev/null || true
        fi
    done
}

start_xvfb() {
    local name="$1" first="$2" last="$3" log="$4" n
    shift 4
    display=""
    for n in $(seq "$first" "$last"); do
        if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
            display=":$n"
            break
        fi
    done
    [ -n "$display" ] || { echo "$name: no free display" >&2; exit 2; }
    Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp "$@" >"$log" 2>&1 &
    # shellcheck disable=SC2034 # read by the sourcing script
    xvfb_pid=$!
    export DISPLAY="$display"
    for _ in $(seq 50); do
        xdpyinfo >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    echo "$name: Xvfb did not start" >&2
    exit 2
}
