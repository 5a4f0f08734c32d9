#!/bin/bash
# Measures the game against a bare Qt window and two other brick-breaking games from Debian, all
# in one run on a private Xvfb display: start-up to the first drawn picture, resident memory at the
# title screen, idle CPU and wake-ups, CPU and tick timing while a level plays, and the rules'
# benchmarks. Writes build-perf/performance/results.md (the table) and raw.jsonl (every sample).
#
#   comparison-study/measure-performance.sh
#
# Environment: RUNS (start-ups per program, default 9), PLAY_SECONDS (default 20), IDLE_SECONDS
# (default 10), QUIET_LOAD (wait for a 1-minute load below this before each phase, default 1.5),
# QUIET_WAIT (longest wait for it in seconds, default 300), SOURCE_DIR (the tree to build, default
# this repository) and BUILD_DIR (default build-perf at the top of this repository). Installs what it
# needs with apt-get; CI does not run it.
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=tools/x-session.sh
. "$repo/tools/x-session.sh"
source_dir=${SOURCE_DIR:-$repo}
build=${BUILD_DIR:-$repo/build-perf}
out=$build/performance
RUNS=${RUNS:-9}
PLAY_SECONDS=${PLAY_SECONDS:-20}
IDLE_SECONDS=${IDLE_SECONDS:-10}
QUIET_LOAD=${QUIET_LOAD:-1.5}
QUIET_WAIT=${QUIET_WAIT:-300}

log() { printf '%s\n' "$*" >&2; }

# --- Packages: the build's, the benchmarks', the display's and the two other games -----------
"$repo/tools/install-deps.sh"
install_packages libbenchmark-dev xvfb xdotool x11-utils dbus libx11-dev libxext-dev kbreakout lbreakout2

# --- Build ------------------------------------------------------------------------------------
cmake -S "$source_dir" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DKOSTKOLAM_BUILD_TESTS=OFF -DKOSTKOLAM_BUILD_BENCH=ON >/dev/null
cmake --build "$build" -j2
game=$build/src/app/kostkolam
bare=$build/comparison-study/bare-window
autoplay=$build/bench/kostkolam-autoplay
probe=$build/comparison-study/first-picture-probe
tickbench=$build/bench/game_tick_bench
kbreakout=/usr/games/kbreakout
lbreakout2=/usr/games/lbreakout2

mkdir -p "$out"
raw=$out/raw.jsonl
: >"$raw"
loads=""

# --- A private display, session bus and home ----------------------------------------------------
xvfb_pid=""
dbus_pid=""
app_pid=""
cleanup() {
    [ -z "$app_pid" ] || kill "$app_pid" 2>/dev/null || true
    [ -z "$dbus_pid" ] || kill "$dbus_pid" 2>/dev/null || true
    [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT
# Numbers well away from the ones test suites and soak runs usually take (:90 to :100, :200).
start_xvfb measure-performance 173 199 "$out/xvfb.log" -br
fresh_home "$out"
bus=$(dbus-daemon --session --fork --print-address=1 --print-pid=1)
export DBUS_SESSION_BUS_ADDRESS=${bus%%$'\n'*}
dbus_pid=${bus##*$'\n'}
# KBreakOut's Qt Quick scene drawn in software: its OpenGL renderer falls back to a software
# rasteriser under Xvfb and keeps a core busy.
kb_env="QT_QUICK_BACKEND=software"

# --- Helpers ------------------------------------------------------------------------------------
load1() { cut -d' ' -f1 /proc/loadavg; }
# Every phase needs the display this script started; if it has gone, the figures would be wrong.
check_display() {
    kill -0 "$xvfb_pid" 2>/dev/null || { log "the Xvfb on $display has gone"; exit 1; }
}
wait_for_quiet() {
    local phase=$1 waited=0
    check_display
    while awk -v l="$(load1)" -v q="$QUIET_LOAD" 'BEGIN { exit !(l > q) }' &&
        [ "$waited" -lt "$QUIET_WAIT" ]; do
        log "load $(load1) above $QUIET_LOAD; waiting before $phase"
        sleep 15
        waited=$((waited + 15))
    done
    loads="$loads$phase: $(cut -d' ' -f1-3 /proc/loadavg)"$'\n'
}
# A number from a one-line JSON object: field NAME.
field() { sed -n "s/.*\"$1\":\([-0-9.e+]*\).*/\1/p"; }
median() { sort -g | awk '{ v[NR] = $1 } END { if (NR) print v[int((NR + 1) / 2)]; else print "n/a" }'; }
# CPU ticks (user + system, all threads) of a process.
cpu_ticks() { awk '{ i = index($0, ") "); split(substr($0, i + 2), f, " "); print f[12] + f[13] }' \
    "/proc/$1/stat"; }
# Context switches of every thread of a process.
switches() { cat /proc/"$1"/task/*/status 2>/dev/null |
    awk '/ctxt_switches/ { s += $2 } END { print s + 0 }'; }
# CPU time in nanoseconds of every thread of a process, from the scheduler's counts.
cpu_ns() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ s += $1 } END { printf "%.0f", s }'; }
# Idle: CPU share and wake-ups of a running process over SECONDS (IDLE_SECONDS when not given).
idle_sample() {
    local name=$1 pid=$2 seconds=${3:-$IDLE_SECONDS} t0 s0 t1 s1 hz
    hz=$(getconf CLK_TCK)
    t0=$(cpu_ticks "$pid")
    s0=$(switches "$pid")
    sleep "$seconds"
    t1=$(cpu_ticks "$pid")
    s1=$(switches "$pid")
    printf '{"idle":"%s","seconds":%s,"cpu_ticks":%d,"cpu_percent":%s,"context_switches":%d}\n' \
        "$name" "$seconds" $((t1 - t0)) \
        "$(awk -v t=$((t1 - t0)) -v hz="$hz" -v s="$seconds" 'BEGIN { printf "%.2f", 100 * t / hz / s }')" \
        $((s1 - s0)) | tee -a "$raw"
}
# A screen of the game or the bare window, 2 s after it appeared: its first IDLE_SECONDS, the next
# 30 s (in which Qt's pixmap cache, filled by the style's drawing of menus and buttons, flushes
# once) and IDLE_SECONDS after that.
idle_screen() {
    idle_sample "$1" "$2"
    idle_sample "$1-next30" "$2" 30
    idle_sample "$1-then" "$2"
}
start_app() {
    env "$@" >/dev/null 2>&1 &
    app_pid=$!
}
stop_app() {
    kill "$app_pid" 2>/dev/null || true
    wait "$app_pid" 2>/dev/null || true
    app_pid=""
    sleep 0.5
}
# The id of the program's visible window titled exactly NAME, once it is there (two minutes at
# most). xdotool's own --sync wait returns other windows of the process too early.
visible_window() {
    local w
    for _ in $(seq 600); do
        for w in $(xdotool search --onlyvisible --pid "$app_pid" --name . 2>/dev/null); do
            if [ "$(xdotool getwindowname "$w" 2>/dev/null)" = "$1" ]; then
                echo "$w"
                return 0
            fi
        done
        sleep 0.2
    done
    log "no window \"$1\""
    return 1
}
press() {
    xdotool windowfocus --sync "$1"
    xdotool key "$2"
}

# --- The rules -------------------------------------------------------------------------------
wait_for_quiet "rules"
"$tickbench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
    >"$out/game_tick_bench.txt"
cat "$out/game_tick_bench.txt" >&2
tick_ns() { awk -v n="BM_GameTick/level:$1_median" '$1 == n { print $2 }' "$out/game_tick_bench.txt"; }
headless_rate=$(awk '$1 == "BM_HeadlessGameNoInput_median" {
    for (i = 1; i <= NF; ++i) if ($i ~ /^ticks_per_second=/) { sub(/ticks_per_second=/, "", $i); print $i } }' \
    "$out/game_tick_bench.txt")

# --- Start-up to the first drawn picture, and memory at the title screen ------------------------
programs="bare kostkolam kbreakout lbreakout2"
command_of() {
    case $1 in
        bare) echo "$bare" ;;
        kostkolam) echo "$game" ;;
        kbreakout) echo "$kb_env $kbreakout" ;;
        lbreakout2) echo "$lbreakout2" ;;
    esac
}
settle_of() { case $1 in bare | kostkolam) echo 3 ;; *) echo 8 ;; esac; }

wait_for_quiet "start-up"
for p in $programs; do
    # shellcheck disable=SC2046
    # A first start fills the caches and lets each program write its settings; then its settled
    # picture is stored.
    env $(command_of "$p") >/dev/null 2>&1 &
    app_pid=$!
    sleep "$(settle_of "$p")"
    stop_app
    for try in 1 2 3; do
        # shellcheck disable=SC2046
        if reference=$("$probe" reference "$out/$p.ppm" "$(settle_of "$p")" -- \
            env $(command_of "$p")); then
            echo "$reference" | sed "s/^{/{\"reference\":\"$p\",/" | tee -a "$raw"
            break
        fi
        [ "$try" -lt 3 ] || { log "no settled picture of $p"; exit 1; }
    done
done
for run in $(seq "$RUNS"); do
    for p in $programs; do
        # shellcheck disable=SC2046
        "$probe" time "$out/$p.ppm" 2 -- env $(command_of "$p") |
            sed "s/^{/{\"startup\":\"$p\",\"run\":$run,/" | tee -a "$raw" ||
            log "start $run of $p: no picture"
    done
done
startup() { grep "\"startup\":\"$1\"" "$raw" | field "$2" | median; }

# --- Idle --------------------------------------------------------------------------------------
wait_for_quiet "idle"
start_app "$bare"
sleep 2
idle_screen bare "$app_pid"
stop_app

start_app "$game"
title=$(visible_window "Kostkolam - the game")
sleep 2
idle_screen title "$app_pid"
press "$title" F2
level=$(visible_window "Kostkolam - Level 1")
# The countdown serves after three seconds; then the level is paused.
sleep 4.5
press "$level" F5
sleep 1
idle_screen paused "$app_pid"
stop_app

start_app "$game"
title=$(visible_window "Kostkolam - the game")
press "$title" F2
# Nobody plays: three lost balls and the end screen shows.
visible_window "Kostkolam - End game" >/dev/null
sleep 2
idle_screen end "$app_pid"
stop_app

# The other games, each at the screen it opens with. LBreakout2 now and then fails to open the
# display while the server is still busy with the program before it; it gets three tries.
idle_peer() {
    local name=$1
    shift
    for _ in 1 2 3; do
        start_app "$@"
        sleep 8
        if kill -0 "$app_pid" 2>/dev/null; then
            idle_sample "$name" "$app_pid"
            stop_app
            return 0
        fi
        log "$name ended before it could be measured; starting it again"
        stop_app
        sleep 2
    done
    return 1
}
idle_peer kbreakout $kb_env "$kbreakout"
idle_peer lbreakout2 "$lbreakout2"
idle() { grep "\"idle\":\"$1\"," "$raw" | field "$2"; }

# --- Play --------------------------------------------------------------------------------------
for lv in 1 2 3; do
    wait_for_quiet "play level $lv"
    "$autoplay" "$lv" "$PLAY_SECONDS" "$xvfb_pid" 2>/dev/null | tee -a "$raw"
done
play() { grep "\"program\":\"kostkolam-autoplay\",\"level\":$1," "$raw" | field "$2"; }

# The floor: a bare Qt window moving a ball of the same size at the same rate.
for lv in 1 2 3; do
    case $lv in 1) period=50 ;; 2) period=75 ;; 3) period=16 ;; esac
    wait_for_quiet "bare ball every $period ms"
    start_app "$bare" --ball "$period"
    sleep 3
    a0=$(cpu_ns "$app_pid")
    x0=$(cpu_ns "$xvfb_pid")
    sleep "$PLAY_SECONDS"
    a1=$(cpu_ns "$app_pid")
    x1=$(cpu_ns "$xvfb_pid")
    stop_app
    printf '{"bare_ball":%d,"level":%d,"cpu_percent":%s,"server_cpu_percent":%s}\n' "$period" "$lv" \
        "$(awk -v d=$((a1 - a0)) -v s="$PLAY_SECONDS" 'BEGIN { printf "%.3f", d / 1e7 / s }')" \
        "$(awk -v d=$((x1 - x0)) -v s="$PLAY_SECONDS" 'BEGIN { printf "%.3f", d / 1e7 / s }')" |
        tee -a "$raw"
done
bare_ball() { grep "\"bare_ball\":[0-9]*,\"level\":$1," "$raw" | field "$2"; }

# --- The table ---------------------------------------------------------------------------------
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "n/a" }'; }
mib() { awk -v k="$1" 'BEGIN { printf "%.1f", k / 1024 }'; }
sb=$(startup bare first_picture_ms)
sk=$(startup kostkolam first_picture_ms)
skb=$(startup kbreakout first_picture_ms)
slb=$(startup lbreakout2 first_picture_ms)
rb=$(startup bare rss_kib)
rk=$(startup kostkolam rss_kib)
rkb=$(startup kbreakout rss_kib)
rlb=$(startup lbreakout2 rss_kib)
{
    echo "# Kostkolam performance, $(date -u '+%Y-%m-%d %H:%M UTC')"
    echo
    echo "Machine: $(nproc) cores, $(sed -n 's/^model name\s*: //p' /proc/cpuinfo | head -1)."
    echo "Display: Xvfb $display, started by this run; it was still up at the end: $(check_display && echo yes)."
    echo "Load (1, 5, 15 min) when each phase began:"
    echo
    printf '%s' "$loads" | sed 's/^/- /'
    echo
    echo "## Start-up and memory (median of $RUNS starts, Xvfb $display)"
    echo
    echo "| Program | window shown ms | first drawn picture ms | settled picture ms | CPU ms by first picture | RSS at title MiB |"
    echo "| --- | ---: | ---: | ---: | ---: | ---: |"
    for p in $programs; do
        echo "| $p | $(startup "$p" window_ms) | $(startup "$p" first_picture_ms) | $(startup "$p" settled_ms) | $(startup "$p" cpu_ms) | $(mib "$(startup "$p" rss_kib)") |"
    done
    echo
    echo "- kostkolam / bare window, first drawn picture: $(ratio "$sk" "$sb") (target at most 1.25);" \
        "CPU by first picture: $(ratio "$(startup kostkolam cpu_ms)" "$(startup bare cpu_ms)")"
    echo "- kbreakout / bare window: $(ratio "$skb" "$sb"); lbreakout2 / bare window: $(ratio "$slb" "$sb")"
    echo "- kostkolam RSS minus bare window: $(mib $((rk - rb))) MiB (target at most 10);" \
        "kbreakout $(mib $((rkb - rb))) MiB; lbreakout2 $(mib $((rlb - rb))) MiB"
    echo
    echo "## Idle"
    echo
    echo "From 2 s after the screen appeared: the first $IDLE_SECONDS s, the next 30 s, then" \
        "$IDLE_SECONDS s more (CPU ticks / % of a core / context switches)."
    echo
    echo "| Screen | first ${IDLE_SECONDS} s | next 30 s | then ${IDLE_SECONDS} s |"
    echo "| --- | ---: | ---: | ---: |"
    for s in bare title paused end kbreakout lbreakout2; do
        row="| $s"
        for part in "" -next30 -then; do
            if [ -n "$(idle "$s$part" cpu_ticks)" ]; then
                row="$row | $(idle "$s$part" cpu_ticks) / $(idle "$s$part" cpu_percent) / $(idle "$s$part" context_switches)"
            else
                row="$row |"
            fi
        done
        echo "$row |"
    done
    echo
    echo "## Play ($PLAY_SECONDS s of autoplay per level)"
    echo
    echo "| Level | ticks | tick median ms | tick p99 ms | game % of a core | Xvfb % | bare ball % (Xvfb %) | game / bare ball | update µs/tick (CPU µs) | painted px/tick of client px | RSS MiB |"
    echo "| --- | ---: | ---: | ---: | ---: | ---: | ---: | ---: | ---: | ---: | ---: |"
    for lv in 1 2 3; do
        echo "| $lv | $(play "$lv" ticks) | $(play "$lv" median) | $(play "$lv" p99) | $(play "$lv" cpu_percent) | $(play "$lv" server_cpu_percent) | $(bare_ball "$lv" cpu_percent) ($(bare_ball "$lv" server_cpu_percent)) | $(ratio "$(play "$lv" cpu_percent)" "$(bare_ball "$lv" cpu_percent)") | $(play "$lv" update_us_per_tick) ($(play "$lv" update_cpu_us_per_tick)) | $(play "$lv" painted_px_per_tick) of $(play "$lv" client_px) | $(mib "$(play "$lv" rss_kib)") |"
    done
    echo
    echo "## The rules (median of 5 repetitions)"
    echo
    echo "- BM_GameTick: level 1 $(tick_ns 1) ns, level 2 $(tick_ns 2) ns, level 3 $(tick_ns 3) ns per tick"
    echo "- BM_HeadlessGameNoInput: $headless_rate ticks per second"
} >"$out/results.md"
cat "$out/results.md"
