#!/bin/bash
# A game played in the real windows and recorded, then replayed headless: starts a private Xvfb
# with a window manager, starts `kostkolam --record`, plays PLAN by typing and clicking into the
# windows with xdotool, and checks that the game ended by its own command, that the recording
# holds what PLAN set out to do, and that kostkolam-script prints exactly the recording's
# .expected file.
#
#   record-and-replay.sh GAME RUNNER WORK_DIR PLAN        PLAN: play or end-screen
set -euo pipefail

game="$1"
runner="$2"
work="$3"
plan="$4"

rm -rf "$work"
mkdir -p "$work/home" "$work/runtime"
chmod 700 "$work/runtime"
# A desktop session of its own: nothing of the caller's home is read or written.
export HOME="$work/home" XDG_RUNTIME_DIR="$work/runtime"
unset QT_QPA_PLATFORM QT_SCALE_FACTOR XDG_CONFIG_HOME XDG_CACHE_HOME XDG_DATA_HOME WAYLAND_DISPLAY

xvfb_pid=""
wm_pid=""
game_pid=""
stop() {
    for pid in "$@"; do
        if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
            kill "$pid" 2>/dev/null || true
            wait "$pid" 2>/dev/null || true
        fi
    done
}
cleanup() {
    stop "$game_pid" "$wm_pid" "$xvfb_pid"
}
trap cleanup EXIT
trap 'exit 1' TERM INT

fail() {
    echo "record-and-replay $plan: $*" >&2
    echo "(recording and logs in $work; the game's last lines:)" >&2
    tail -n 5 "$work/game.txt" "$work/game.err" >&2 2>/dev/null || true
    exit 1
}

# A display number of its own: Xvfb writes its process id into the display's lock file, and of
# two servers started on one number at once only one gets it (the other ends).
display=""
first=$((140 + ($(printf '%s' "$plan" | cksum | cut -d' ' -f1) % 10) * 10))
for n in $(seq "$first" $((first + 99))); do
    if [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; then
        continue
    fi
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 100); do
        if [ "$(tr -d ' \n' 2>/dev/null <"/tmp/.X$n-lock")" = "$xvfb_pid" ] &&
            DISPLAY=":$n" xdotool getdisplaygeometry >/dev/null 2>&1; then
            display=":$n"
            break 2
        fi
        kill -0 "$xvfb_pid" 2>/dev/null || break
        sleep 0.1
    done
    stop "$xvfb_pid"
    xvfb_pid=""
done
[ -n "$display" ] || fail "no display of its own"
export DISPLAY="$display"
openbox --sm-disable >"$work/openbox.log" 2>&1 &
wm_pid=$!
sleep 0.5

# In the sanitizer build: Qt's X11 platform reads the keyboard map through libxkbcommon-x11,
# which copies each atom name of the X server's replies with strndup(name, length); the name is not
# followed by a NUL, and strict string checks take the copy for a read past the reply. Without
# them a read past the buffer is still caught.
if [ -n "${ASAN_OPTIONS:-}" ]; then
    export ASAN_OPTIONS="$ASAN_OPTIONS:strict_string_checks=0"
fi

recording="$work/game.txt"
"$game" --record "$recording" >"$work/game.out" 2>"$work/game.err" &
game_pid=$!

# The window with this exact caption, once it is on the desktop (at most `seconds`).
window() {
    local caption="$1" seconds="${2:-20}" id
    for _ in $(seq $((seconds * 10))); do
        id="$(xdotool search --onlyvisible --name "^$caption\$" 2>/dev/null | head -n 1)" || true
        if [ -n "$id" ]; then
            echo "$id"
            return 0
        fi
        sleep 0.1
    done
    fail "no window \"$caption\" after $seconds s"
}
# Makes the window active and types the keys into it.
keys() {
    local id="$1"
    shift
    xdotool windowactivate --sync "$id" >/dev/null 2>&1 || xdotool windowfocus --sync "$id"
    for key in "$@"; do
        xdotool key "$key"
        sleep 0.15
    done
}
# Clicks at X, Y in the window until the window goes: on a busy machine a click that comes
# before the window is fully on the desktop is lost.
click_away() {
    local caption="$1" x="$2" y="$3" id
    for _ in $(seq 5); do
        id="$(window "$caption")"
        xdotool windowactivate --sync "$id" >/dev/null 2>&1 || true
        sleep 0.3
        xdotool mousemove --window "$id" "$x" "$y" click 1
        for _ in $(seq 20); do
            [ -z "$(xdotool search --onlyvisible --name "^$caption\$" 2>/dev/null)" ] && return 0
            sleep 0.1
        done
    done
    fail "clicks on \"$caption\" did nothing"
}
# Keeps the paddle at the left edge until the end screen comes: three balls are lost.
lose_game() {
    local level="$1" end
    for _ in $(seq 180); do
        end="$(xdotool search --onlyvisible --name '^Kostkolam - End game$' 2>/dev/null | head -n 1)" || true
        [ -n "$end" ] && return 0
        keys "$level" a
        sleep 0.35
    done
    fail "the game did not end"
}

title="$(window 'Kostkolam - the game')"
case "$plan" in
    play)
        # A new game by F2 over the title's open "Help" list.
        keys "$title" alt+e F2
        level="$(window 'Kostkolam - Level 1')"
        # The countdown, then the paddle.
        sleep 3.3
        keys "$level" d d d a
        # Pause and resume, once by the key alone and once over the open "Hra" list.
        keys "$level" F5
        sleep 0.5
        keys "$level" F5 alt+h F5
        sleep 0.3
        keys "$level" F5
        # The help box, opened with F1 and closed with Return.
        keys "$level" F1
        box="$(window 'Nápověda')"
        sleep 0.4
        keys "$box" Return
        # A lost ball: the paddle stays out of the way for a while.
        for _ in $(seq 24); do
            keys "$level" a
            sleep 0.3
        done
        # A new game from the level's own menu: Alt+H, then its letter N.
        keys "$level" alt+h n
        sleep 1.5
        level="$(window 'Kostkolam - Level 1')"
        keys "$level" d
        # The level window's close box ends the game.
        keys "$level" alt+F4
        want=('menu frmCihlolam mnuNovahra' 'key frmLevel1 100' 'key frmLevel1 97'
            'menu frmLevel1 mnuPausa' 'menu frmLevel1 mnuNapoveda' 'menu frmLevel1 mnuNovaHra'
            'close frmLevel1')
        shown=(' msgbox title="Nápověda"' 'frmLevel1.lblZiv.Caption="2"' ' end')
        pauses=4
        ;;
    end-screen)
        keys "$title" F2
        level="$(window 'Kostkolam - Level 1')"
        lose_game "$level"
        # "Nová hra" (left) starts a fresh level 1; "Konec" (right) goes back to the title.
        click_away 'Kostkolam - End game' 78 108
        level="$(window 'Kostkolam - Level 1')"
        lose_game "$level"
        click_away 'Kostkolam - End game' 190 108
        title="$(window 'Kostkolam - the game')"
        keys "$title" F4
        want=('click frmKonec cmdNovahra' 'click frmKonec cmdKonec' 'menu frmCihlolam mnuKonec')
        shown=('frmLevel1.lblZiv.Caption="1"' 'frmKonec=shown' ' end')
        pauses=0
        ;;
    *)
        fail "unknown plan"
        ;;
esac

# The game ends itself, with status 0 and nothing on standard error but Qt's own notes.
for _ in $(seq 100); do
    kill -0 "$game_pid" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$game_pid" 2>/dev/null && fail "the game did not end"
status=0
wait "$game_pid" || status=$?
game_pid=""
[ "$status" -eq 0 ] || fail "the game ended with status $status: $(cat "$work/game.err")"

for line in "${want[@]}"; do
    grep -qxF "$line" "$recording" || fail "the recording has no line '$line'"
done
# Each F5 paused or resumed, the one over the open list too.
[ "$(grep -cxF 'menu frmLevel1 mnuPausa' "$recording")" -eq "$pauses" ] ||
    fail "not every F5 reached the game"
for text in "${shown[@]}"; do
    grep -qF "$text" "$recording.expected" || fail "the game never showed '$text'"
done

"$runner" "$recording" >"$work/replayed" 2>"$work/runner.err" ||
    fail "kostkolam-script failed: $(cat "$work/runner.err")"
if ! diff -u "$recording.expected" "$work/replayed"; then
    fail "the replay differs from what the game showed (recording in $work)"
fi

# Watched again in the windows: the replay takes the recorded game's time and ends where the
# game ended, by its own command.
if [ "$plan" = play ]; then
    recorded_ms=$(awk '$1 == "advance" { s += $2 } END { print s }' "$recording")
    started=$(date +%s%N)
    "$game" --replay "$recording" >"$work/replay.out" 2>"$work/replay.err" &
    game_pid=$!
    window 'Kostkolam - the game' >/dev/null
    status=0
    wait "$game_pid" || status=$?
    game_pid=""
    took_ms=$((($(date +%s%N) - started) / 1000000))
    [ "$status" -eq 0 ] || fail "the replay ended with status $status: $(cat "$work/replay.err")"
    [ "$took_ms" -ge "$recorded_ms" ] && [ "$took_ms" -le $((recorded_ms + 10000)) ] ||
        fail "the replay took $took_ms ms for $recorded_ms ms of game"
    echo "record-and-replay $plan: watched again in $took_ms ms ($recorded_ms ms recorded)"
fi
echo "record-and-replay $plan: $(grep -c '' "$recording") lines replayed to the same output"
