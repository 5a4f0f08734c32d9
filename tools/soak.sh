#!/bin/bash
# Soak of the real game on a virtual X display with a window manager: for SECONDS (default 600) a
# random player types characters, presses F1 (closing the help box with Return), F2, F4 and F5,
# clicks inside the game's windows and now and then closes one; whenever the game has ended it is
# started again. The soak fails when a run of the game ends other than by a command of its own
# (exit status 0), when the game stays alive with no window on the desktop or leaves a screen's
# window unmapped for more than 5 s (only level 2 may wait hidden while level 3 is played), or when
# it prints anything on standard error.
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
# folder); SOAK_SEED chooses the random player (default 1). The logs, the recordings and a last
# screenshot stay in the folder the summary names.
. "$(dirname "$0")/x-session.sh"
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-600}"
game="${KOSTKOLAM:-build/src/app/kostkolam}"
seed="${SOAK_SEED:-1}"

# What the soak needs, by command and Debian package.
need=(Xvfb xvfb xdotool xdotool xwininfo x11-utils xdpyinfo x11-utils import imagemagick
    openbox openbox wmctrl wmctrl)
missing=()
for ((i = 0; i < ${#need[@]}; i += 2)); do
    command -v "${need[i]}" >/dev/null 2>&1 || missing+=("${need[i + 1]}")
done
if [ ${#missing[@]} -gt 0 ]; then
    as_root=""
    [ "$(id -u)" -eq 0 ] || as_root="sudo"
    export DEBIAN_FRONTEND=noninteractive
    $as_root apt-get update -q
    $as_root apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

runner="${KOSTKOLAM_SCRIPT:-$(dirname "$game")/../kostkolam-script}"
if [ ! -x "$game" ] || [ ! -x "$runner" ]; then
    if [ -n "${KOSTKOLAM:-}" ]; then
        echo "soak: no game at $game or no runner at $runner" >&2
        exit 2
    fi
    cmake -S . -B build -G Ninja >/dev/null
    cmake --build build -j 2 --target kostkolam kostkolam-script
fi
game="$(cd "$(dirname "$game")" && pwd)/$(basename "$game")"
runner="$(cd "$(dirname "$runner")" && pwd)/$(basename "$runner")"

work="$(mktemp -d /tmp/kostkolam-soak.XXXXXX)"
mkdir -p "$work/home" "$work/runtime"
chmod 700 "$work/runtime"
# A desktop session of its own: nothing of the caller's home is read or written.
export HOME="$work/home" XDG_RUNTIME_DIR="$work/runtime"
unset XDG_CONFIG_HOME XDG_CACHE_HOME XDG_DATA_HOME QT_LOGGING_RULES QT_QPA_PLATFORM

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
events=0
typed=0
keys=0
clicks=0
closes=0
activations=0
help_boxes=0
checks=0
slow_changes=0
slowest_change_ms=0
failures=()
statuses=()
declare -A seen
peak_rss_kib=0
run_started=0
longest_run=0
longest_run_rss=""
rss_first=""
rss_last=""

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
    run_started=$SECONDS
    log "started, pid $game_pid"
    rss_first=""
    rss_last=""
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
    statuses+=("$status")
    log "ended with exit status $status"
    [ "$status" -eq 0 ] || fail "run $runs ended with exit status $status"
    replay_run
    local lasted=$((SECONDS - run_started))
    if [ "$lasted" -ge "$longest_run" ] && [ -n "$rss_first" ]; then
        longest_run=$lasted
        longest_run_rss="$rss_first KiB at 30 s, $rss_last KiB at $lasted s"
    fi
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

sample_memory() {
    local hwm rss
    hwm=$(awk '/^VmHWM:/ {print $2}' "/proc/$game_pid/status" 2>/dev/null || true)
    rss=$(awk '/^VmRSS:/ {print $2}' "/proc/$game_pid/status" 2>/dev/null || true)
    [ -n "$hwm" ] && [ "$hwm" -gt "$peak_rss_kib" ] && peak_rss_kib=$hwm
    if [ -n "$rss" ]; then
        # The first sample after 30 s, when the game has built every kind of window once.
        if [ -z "$rss_first" ] && [ $((SECONDS - run_started)) -ge 30 ]; then
            rss_first=$rss
        fi
        rss_last=$rss
        log "resident set $rss KiB"
    fi
    return 0
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

# What is wrong with the windows right now, or nothing. Counts in "seen" which screens were on the
# desktop.
window_fault() {
    local lines mapped name
    lines=$(screen_windows)
    while read -r name; do
        [ -n "$name" ] && seen["$name"]=$((${seen["$name"]:-0} + 1))
    done < <(sed -n 's/^IsViewable Kostkolam - //p' <<<"$lines")
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
    checks=$((checks + 1))
    sample_memory
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
            slow_changes=$((slow_changes + 1))
            [ "$waited" -le "$slowest_change_ms" ] || slowest_change_ms=$waited
            log "windows settled after $waited ms: $fault"
            return 0
        fi
    done
    fail "run $runs at $((SECONDS - run_started)) s: $(<"$work/fault")"
    describe_windows >>"$work/actions.log"
    import -window root "$work/fault${#failures[@]}.png" 2>/dev/null || true
}

# Everything the X server and the window manager know of the game's windows, for a fault's record.
describe_windows() {
    local w
    echo "desktop $(wmctrl -d | awk '$2 == "*" {print $1}'), focus $(xdotool getwindowfocus 2>/dev/null)"
    for w in $(xdotool search --pid "$game_pid" 2>/dev/null || true); do
        echo "  window $w \"$(window_name "$w")\""
        xwininfo -id "$w" 2>/dev/null | grep -E 'Absolute|Map State|Override' | sed 's/^ */    /'
        xprop -id "$w" WM_STATE _NET_WM_STATE _NET_WM_DESKTOP WM_TRANSIENT_FOR 2>/dev/null |
            sed 's/^/    /'
    done
}

close_help_box() {
    local box
    box=$(xdotool search --onlyvisible --pid "$game_pid" --name '^Nápověda$' 2>/dev/null | head -1 || true)
    [ -n "$box" ] || return 0
    log "Return on the help box"
    xdotool windowactivate "$box" >/dev/null 2>&1 || true
    sleep 0.05
    xdotool key Return
    keys=$((keys + 1))
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
        typed=$((typed + ${#text}))
    elif [ "$roll" -lt 550 ]; then
        w=$(random_visible_window) || return 0
        read -r x y width height < <(client_area "$w")
        [ "${width:-0}" -gt 0 ] || return 0
        x=$((x + RANDOM % width)) y=$((y + RANDOM % height))
        log "click at $x,$y in \"$(window_name "$w")\""
        xdotool mousemove --sync "$x" "$y" click 1
        clicks=$((clicks + 1))
    elif [ "$roll" -lt 590 ]; then
        log "F5"
        xdotool key F5
        keys=$((keys + 1))
    elif [ "$roll" -lt 605 ]; then
        log "F2"
        xdotool key F2
        keys=$((keys + 1))
    elif [ "$roll" -lt 645 ]; then
        log "F1"
        xdotool key F1
        keys=$((keys + 1))
        help_boxes=$((help_boxes + 1))
        sleep 0.$((1 + RANDOM % 5))
        close_help_box
    elif [ "$roll" -lt 647 ]; then
        log "F4"
        xdotool key F4
        keys=$((keys + 1))
    elif [ "$roll" -lt 650 ]; then
        w=$(random_visible_window) || return 0
        log "close \"$(window_name "$w")\""
        wmctrl -i -c "$w" 2>/dev/null || true
        closes=$((closes + 1))
    elif [ "$roll" -lt 700 ]; then
        w=$(random_visible_window) || return 0
        log "activate \"$(window_name "$w")\""
        xdotool windowactivate "$w" >/dev/null 2>&1 || true
        activations=$((activations + 1))
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
                    closes=$((closes + 1))
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
actions=0
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

import -window root "$work/last-screen.png" 2>/dev/null || true
if kill -0 "$game_pid" 2>/dev/null; then
    sample_memory
    end_game
fi
finish_run

events=$((typed + keys + clicks + closes + activations))
warnings=0
for err in "$work"/run*.err; do
    if [ -s "$err" ]; then
        warnings=$((warnings + 1))
        fail "$(basename "$err" .err) printed on standard error:"
        head -20 "$err" >&2
    fi
done

summary="$work/summary.txt"
{
    echo "runtime: $seconds s (seed $seed)"
    echo "events sent: $events ($typed characters typed, $keys function keys and Returns," \
        "$clicks clicks, $closes window closes, $activations window activations)," \
        "in $actions actions; help boxes opened: $help_boxes"
    echo "runs of the game: $runs ($restarts restarts after the game ended itself)"
    echo "recordings replayed by kostkolam-script to what the game showed: $replays_same of $runs"
    echo "exit statuses: $(printf '%s\n' "${statuses[@]}" | sort | uniq -c |
        awk '{printf "%s%s x %s", sep, $1, $2; sep=", "}')"
    echo "peak resident set: $((peak_rss_kib / 1024)) MiB ($peak_rss_kib KiB)"
    echo "longest run: ${longest_run} s, resident set ${longest_run_rss:-not sampled}"
    echo "window checks: $checks; screens found on the desktop:" \
        "$(for name in "the game" "Level 1" "Level 2" "Level 3" "End game"; do
            printf '%s"%s" %s' "${sep:-}" "$name" "${seen[$name]:-0}"
            sep=", "
        done)"
    echo "windows still changing at a check: $slow_changes times, settled within" \
        "$slowest_change_ms ms at most"
    echo "processes with output on standard error: $warnings"
    echo "faults: ${#failures[@]}"
} | tee "$summary"
for f in "${failures[@]}"; do
    echo "  $f" | tee -a "$summary"
done
[ ${#failures[@]} -eq 0 ]
