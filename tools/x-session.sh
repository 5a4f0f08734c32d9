# shellcheck shell=bash
# Shared by the scripts that run the real game on a private X display (sourced, not run).
# After `start_xvfb NAME FIRST LAST LOG`, DISPLAY (and display) names a fresh Xvfb on the first free display
# number from FIRST to LAST, and xvfb_pid holds its process; `stop_processes PID...` ends the given
# processes that still run.

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
    display=""
    for n in $(seq "$first" "$last"); do
        if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
            display=":$n"
            break
        fi
    done
    [ -n "$display" ] || { echo "$name: no free display" >&2; exit 2; }
    Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >"$log" 2>&1 &
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
