#!/bin/bash
# Soak of the real game on a virtual X display with a window manager: for SECONDS (default 600) a
# random player types characters, presses F1 (closing the help box with Return), F2, F4 and F5,
# clicks inside the game's windows and now and then closes one; whenever the game has ended it is
# started again. The soak fails when a run of the game ends other than by a command of its own
# (exit status 0), when the game stays alive with no window on the desktop or leaves a screen's
# window unmapped for more than 5 s (only level 2 may wait hidden while level 3 is played), or when
# it prints anything on standard error. Memory is watched by the long-run tests' 1000 games, not
# here.
#
# Every run is recorded (`kostkolam --record runN.txt` in the log folder): whatever fault the soak
# finds is a scenario that kostkolam-script and `kostkolam --replay` play again. Each run that has
# ended is replayed by kostkolam-script at once, and a replay that differs from what the game
# showed (runN.txt.expected) is a fault too.
#
#   tools/soak.sh [SECONDS]
#
# KOSTKOLAM=path/to/kostkolam soaks another build (default build/src/app/kostkolam, built if
# missing) and KOSTKOLAM_SCRIPT names its runner (default kostkolam-script beside the game's
# folder); SOAK_SEED chooses the random player (default 1). The action log, the recordings and a
# screenshot of each fault stay in the folder the summary names.
# shellcheck source=tools/x-session.sh
. "$(dirname "$0")/x-session.sh"
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-600}"
seed="${SOAK_SEED:-1}"

install_packages xvfb xdotool x11-utils imagemagick openbox wmctrl
find_game soak
runner="${KOSTKOLAM_SCRIPT:-$(dirname "$game")/../kostkolam-script}"
if [ ! -x "$runner" ]; then
    if [ -n "${KOSTKOLAM_SCRIPT:-}" ]; then
        echo "soak: no runner at $runner" >&2
        exit 2
    fi
    cmake --build "$(dirname "$game")/../.." -j 2 --target kostkolam-script
fi
runner="$(cd "$(dirname "$runner")" && pwd)/$(basename "$runner")"

work="$(mktemp -d /tmp/kostkolam-soak.XXXXXX)"
fresh_home "$work"

game_pid=""
wm_pid=""
xvfb_pid=""
cleanup() {
    stop_processes "$game_pid" "$wm_pid" "$xvfb_pid"
}
trap cleanup EXIT

start_xvfb soak 90 199 "$work/xvfb.log"
openbox --sm-disable >"$work/openbox.log" 2>&1 &
wm_pid=$!
sleep 1

RANDOM=$seed
runs=0
restarts=0
replays_same=0
actions=0
failures=()

fail() {
    failures+=("$*")
    echo "soak: FAIL: $*" >&2
    log "FAULT $*"
}

# Every action and finding goes to the action log with the time since the start of the soak.
log() {
    echo "$SECONDS run $runs: $*" >>"$work/actions.log"
}

start_game() {
    runs=$((runs + 1))
    "$game" --record "$work/run$runs.txt" >"$work/run$runs.out" 2>"$work/run$runs.err" &
    game_pid=$!
    log "started, pid $game_pid"
    for _ in $(seq 100); do
        [ -n "$(xdotool search --onlyvisible --pid "$game_pid" 2>/dev/null)" ] && return 0
        kill -0 "$game_pid" 2>/dev/null || break
        sleep 0.1
    done
    fail "run $runs: no window 10 s after the start"
}

# The run has ended: its exit status must be 0, the game's own way out.
finish_run() {
    local status=0
    wait "$game_pid" || status=$?
    log "ended with exit status $status"
    [ "$status" -eq 0 ] || fail "run $runs ended with exit status $status"
    replay_run
    game_pid=""
}

# The run's recording, played by the runner, must print exactly what the game showed.
replay_run() {
    local recording="$work/run$runs.txt"
    if "$runner" "$recording" >"$recording.replayed" 2>"$recording.replay-err" &&
        cmp -s "$recording.replayed" "$recording.expected"; then
        replays_same=$((replays_same + 1))
        rm -f "$recording.replayed" "$recording.replay-err"
    else
        fail "run $runs: its recording does not replay to what the game showed" \
            "(run$runs.txt, run$runs.txt.expected, run$runs.txt.replayed)"
    fi
}

visible_windows() {
    xdotool search --onlyvisible --pid "$game_pid" 2>/dev/null || true
}

random_visible_window() {
    local windows
    mapfile -t windows < <(visible_windows)
    [ ${#windows[@]} -gt 0 ] || return 1
    echo "${windows[RANDOM % ${#windows[@]}]}"
}

# Left, top, width and height of a window's inside on the desktop (xdotool's own geometry is off
# by the frame under a reparenting window manager).
client_area() {
    xwininfo -id "$1" 2>/dev/null | awk '
        /Absolute upper-left X:/ {x = $NF}
        /Absolute upper-left Y:/ {y = $NF}
        /^  Width:/ {w = $NF}
        /^  Height:/ {h = $NF}
        END {print x + 0, y + 0, w + 0, h + 0}'
}

window_name() {
    xdotool getwindowname "$1" 2>/dev/null || true
}

# Lists the screens' windows of the game as "STATE NAME" lines; menus and the help box are left
# out (screens' captions all begin with "Kostkolam - ").
screen_windows() {
    local w info name state
    for w in $(xdotool search --pid "$game_pid" 2>/dev/null || true); do
        info=$(xwininfo -id "$w" 2>/dev/null) || continue
        name=$(sed -n 's/^xwininfo: Window id: [^ ]* "\(.*\)"$/\1/p' <<<"$info")
        state=$(sed -n 's/^  Map State: //p' <<<"$info")
        case "$name" in
            "Kostkolam - "*) echo "$state $name" ;;
        esac
    done
}

# What is wrong with the windows right now, or nothing.
window_fault() {
    local lines mapped name state
    lines=$(screen_windows)
    mapped=$(grep -c '^IsViewable ' <<<"$lines" || true)
    if [ "$mapped" -eq 0 ]; then
        echo "alive with no screen on the desktop"
        return
    fi
    while read -r state name; do
        [ -n "$state" ] || continue
        [ "$state" = IsViewable ] && continue
        if [ "$name" = "Kostkolam - Level 2" ] && grep -q '^IsViewable Kostkolam - Level 3$' <<<"$lines"; then
            continue
        fi
        echo "window \"$name\" left $state"
        return
    done <<<"$lines"
}

check_game() {
    local fault waited
    window_fault >"$work/fault"
    fault=$(<"$work/fault")
    [ -n "$fault" ] || return 0
    # A change of screens is one event inside the game but several requests to the X server and
    # the window manager, which take their time on a busy machine: the player waits up to
    # SOAK_GRACE_MS (default 5000) for the windows to settle before calling it a fault.
    for ((waited = 100; waited <= ${SOAK_GRACE_MS:-5000}; waited += 100)); do
        sleep 0.1
        kill -0 "$game_pid" 2>/dev/null || return 0
        window_fault >"$work/fault"
        if [ ! -s "$work/fault" ]; then
            log "windows settled after $waited ms: $fault"
            return 0
        fi
    done
    fail "run $runs: $(<"$work/fault")"
    import -window root "$work/fault${#failures[@]}.png" 2>/dev/null || true
}

close_help_box() {
    local box
    box=$(xdotool search --onlyvisible --pid "$game_pid" --name '^Nápověda$' 2>/dev/null | head -1 || true)
    [ -n "$box" ] || return 0
    log "Return on the help box"
    xdotool windowactivate "$box" >/dev/null 2>&1 || true
    sleep 0.05
    xdotool key Return
}

readonly charset='aaaaaaddddddd adAD0123456789xyzqwer.,-+ěščřžýáíéůúĚŠČŘŽ'

random_text() {
    local length=$((1 + RANDOM % 8)) text="" i
    for ((i = 0; i < length; i++)); do
        text+="${charset:RANDOM % ${#charset}:1}"
    done
    echo "$text"
}

# One action of the player, chosen at random with these weights in thousandths: typing 400, a
# click 150, F5 40, F2 15, F1 40, F4 2, a window's close box 3, another window to the front 50,
# and a pause that lets the game play 300.
act() {
    local roll=$((RANDOM % 1000)) w text x y width height
    if [ "$roll" -lt 400 ]; then
        text=$(random_text)
        log "type \"$text\""
        xdotool type --delay 10 -- "$text"
    elif [ "$roll" -lt 550 ]; then
        w=$(random_visible_window) || return 0
        read -r x y width height < <(client_area "$w")
        [ "${width:-0}" -gt 0 ] || return 0
        x=$((x + RANDOM % width)) y=$((y + RANDOM % height))
        log "click at $x,$y in \"$(window_name "$w")\""
        xdotool mousemove --sync "$x" "$y" click 1
    elif [ "$roll" -lt 590 ]; then
        log "F5"
        xdotool key F5
    elif [ "$roll" -lt 605 ]; then
        log "F2"
        xdotool key F2
    elif [ "$roll" -lt 645 ]; then
        log "F1"
        xdotool key F1
        sleep 0.$((1 + RANDOM % 5))
        close_help_box
    elif [ "$roll" -lt 647 ]; then
        log "F4"
        xdotool key F4
    elif [ "$roll" -lt 650 ]; then
        w=$(random_visible_window) || return 0
        log "close \"$(window_name "$w")\""
        wmctrl -i -c "$w" 2>/dev/null || true
    elif [ "$roll" -lt 700 ]; then
        w=$(random_visible_window) || return 0
        log "activate \"$(window_name "$w")\""
        xdotool windowactivate "$w" >/dev/null 2>&1 || true
    else
        sleep 0.$((1 + RANDOM % 5))
    fi
}

# Ends the running game by its own ways: the help box closed, then a close box of the title or a
# level screen, which ends the program as "Konec" does.
end_game() {
    local w name
    for _ in $(seq 20); do
        kill -0 "$game_pid" 2>/dev/null || return 0
        close_help_box
        for w in $(visible_windows); do
            name=$(window_name "$w")
            case "$name" in
                "Kostkolam - the game" | "Kostkolam - Level "*)
                    wmctrl -i -c "$w" 2>/dev/null || true
                    break
                    ;;
            esac
        done
        sleep 0.5
    done
    fail "run $runs did not end when its window was closed"
    kill "$game_pid" 2>/dev/null || true
}

echo "soak: $seconds s on display $display, seed $seed, game $game, logs in $work"
start_game
deadline=$((SECONDS + seconds))
last_check=$SECONDS
while [ "$SECONDS" -lt "$deadline" ]; do
    if ! kill -0 "$game_pid" 2>/dev/null; then
        finish_run
        restarts=$((restarts + 1))
        start_game
        continue
    fi
    act
    actions=$((actions + 1))
    if [ "$SECONDS" -ne "$last_check" ]; then
        last_check=$SECONDS
        if kill -0 "$game_pid" 2>/dev/null; then
            check_game
        fi
    fi
    sleep 0.02
done

if kill -0 "$game_pid" 2>/dev/null; then
    end_game
fi
finish_run

for err in "$work"/run*.err; do
    if [ -s "$err" ]; then
        fail "$(basename "$err" .err) printed on standard error:"
        head -20 "$err" >&2
    fi
done

{
    echo "soak: $seconds s (seed $seed), $actions actions, $runs runs of the game" \
        "($restarts restarts after the game ended itself), faults: ${#failures[@]}"
    echo "recordings replayed by kostkolam-script to what the game showed: $replays_same of $runs"
    for f in "${failures[@]}"; do
        echo "  $f"
    done
} | tee "$work/summary.txt"
[ ${#failures[@]} -eq 0 ]
