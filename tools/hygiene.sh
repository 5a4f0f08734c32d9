#!/bin/bash
# Hygiene of the real game: plays a session of SECONDS (default 60) on a virtual X display under
# strace, with keys, typed characters and clicks, ends it with F4, and checks from the trace that
# the game wrote no file and created, renamed or removed none (no writable open of a regular file
# outside /dev, /proc and /sys; no mkdir, rename, unlink, link, truncate or chmod), and that it
# opened no network socket: its only connection is the one to the X server's socket
# (/tmp/.X11-unix/X<n>). Anything else on the trace that is not a fault but worth knowing (failed
# attempts, other local sockets) is listed too.
#
#   tools/hygiene.sh [SECONDS]
#   tools/hygiene.sh --analyse TRACE DISPLAY_NUMBER HOME   (only checks a trace made earlier)
#
# KOSTKOLAM=path/to/kostkolam checks another build (default build/src/app/kostkolam, built if
# missing). The trace and the report stay in the folder the report names.
# shellcheck source=tools/x-session.sh
. "$(dirname "$0")/x-session.sh"
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-60}"

# Reads a trace of strace -f -yy and prints what the game did to files and sockets; fails when it
# wrote, created, renamed or removed a file or used the network.
#   analyse_trace TRACE DISPLAY_NUMBER HOME
analyse_trace() {
    awk -v display="$2" -v home="$3" '
function note(kind, text) {
    if (!((kind, text) in seen)) {
        seen[kind, text] = 1
        count[kind]++
        lines[kind] = lines[kind] "    " text "\n"
    }
}
function quoted(text,    m) {
    return match(text, /"([^"\\]|\\.)*"/) ? substr(text, RSTART + 1, RLENGTH - 2) : ""
}
function system_path(path) {
    return path ~ /^\/(dev|proc|sys)(\/|$)/
}
{
    pid = $1
    call = $0
    sub(/^[0-9]+ +/, "", call)
    # A call interrupted by another thread comes in two pieces; join them.
    if (call ~ /<unfinished \.\.\.>$/) {
        sub(/ *<unfinished \.\.\.>$/, "", call)
        pending[pid] = call
        next
    }
    if (call ~ /^<\.\.\. [a-z0-9_]+ resumed>/) {
        sub(/^<\.\.\. [a-z0-9_]+ resumed>/, "", call)
        call = pending[pid] call
        delete pending[pid]
    }
    if (call !~ /^[a-z0-9_]+\(/) {
        next
    }
    name = substr(call, 1, index(call, "(") - 1)
    failed = call ~ /\) = -1 [A-Z]/
    path = quoted(call)
    if (index(path, home "/") == 1) {
        shown = "~" substr(path, length(home) + 1)
        gsub(/\/\/+/, "/", shown)
        # fontconfig looks for one cache file per font folder; one line says it for all.
        sub(/\/[0-9a-f][0-9a-f]*-le64\.cache-[0-9]*$/, "/*.cache", shown)
        errno = ""
        if (match(call, /\) = -1 [A-Z]+/)) {
            errno = " (" substr(call, RSTART + 7, RLENGTH - 7) ")"
        }
        note("home", name " " shown errno)
    }

    if (name ~ /^(open|openat|openat2|creat)$/) {
        if (path !~ /^\// && call ~ /^[a-z0-9]+\(AT_FDCWD/) {
            cwd_lookups++
            file = path
            sub(/.*\//, "", file)
            note("info", "looked in the working directory for " file)
        }
        writable = name == "creat" || call ~ /O_(WRONLY|RDWR|CREAT|TRUNC)/
        if (!writable || system_path(path)) {
            if (!failed && !writable) {
                reads++
            }
            next
        }
        if (failed) {
            note("attempt", name " " path " (failed)")
        } else {
            note("fault", "opened for writing: " path)
        }
    } else if (name ~ /^(mkdir|mkdirat|rename|renameat|renameat2|unlink|unlinkat|rmdir|link|linkat|symlink|symlinkat|truncate|chmod|fchmodat|chown|fchownat|lchown|mknod|mknodat|utimensat|utime|utimes)$/) {
        if (name ~ /^mkdir/ && call ~ /= -1 EEXIST/) {
            note("info", name " " path ": made sure it exists (it did)")
        } else if (failed) {
            note("attempt", name " " path " (failed)")
        } else {
            note("fault", name " " path)
        }
    } else if (name ~ /^(write|writev|pwrite64|pwritev|pwritev2|ftruncate|fallocate)$/) {
        fd = call
        sub(/^[a-z0-9_]+\(/, "", fd)
        sub(/,.*/, "", fd)
        if (fd ~ /^2</) {
            stderr_writes++
        } else if (match(fd, /<\/[^>]*>/)) {
            target = substr(fd, RSTART + 1, RLENGTH - 2)
            if (!system_path(target)) {
                note("fault", name " to the file " target)
            }
        }
    } else if (name == "memfd_create") {
        note("info", "anonymous memory file " path " (memfd_create, never on disk)")
    } else if (name == "socket") {
        family = call
        sub(/^socket\(/, "", family)
        sub(/,.*/, "", family)
        sockets[family]++
        if (family ~ /^AF_INET6?$/) {
            note("fault", "network socket: " call)
        } else if (family != "AF_UNIX") {
            note("info", "socket of family " family)
        }
    } else if (name == "connect") {
        if (call ~ /sun_path=@?"\/tmp\/\.X11-unix\/X/ && call ~ ("X" display "\"")) {
            if (!failed) {
                display_connections++
            }
        } else if (call ~ /AF_INET/) {
            note("fault", "network connection: " call)
        } else {
            note("info", "other local connection: " call)
        }
    } else if (name ~ /^(bind|listen|accept|accept4)$/) {
        note("fault", "serves on a socket: " call)
    }
}
END {
    printf "files opened for reading: %d\n", reads
    printf "opens of paths relative to the working directory: %d\n", cwd_lookups
    printf "connections to the X server (display :%s): %d\n", display, display_connections
    printf "sockets created:"
    for (family in sockets) {
        printf " %s x %d", family, sockets[family]
    }
    printf "\n"
    printf "writes to standard error: %d\n", stderr_writes
    printf "faults: %d\n%s", count["fault"], lines["fault"]
    printf "failed attempts to change files: %d\n%s", count["attempt"], lines["attempt"]
    printf "worth knowing: %d\n%s", count["info"], lines["info"]
    printf "calls on paths in the home folder: %d\n%s", count["home"], lines["home"]
    exit (count["fault"] > 0 ? 1 : 0)
}
' "$1"
}

# tools/hygiene.sh --analyse TRACE DISPLAY_NUMBER HOME checks a trace made earlier.
if [ "${1:-}" = --analyse ]; then
    analyse_trace "$2" "$3" "$4"
    exit
fi

install_packages xvfb xdotool x11-utils strace
find_game hygiene

work="$(mktemp -d /tmp/kostkolam-hygiene.XXXXXX)"
# Any file the game writes shows up on the trace wherever it goes.
fresh_home "$work"

strace_pid=""
xvfb_pid=""
cleanup() {
    stop_processes "$strace_pid" "$xvfb_pid"
}
trap cleanup EXIT

start_xvfb hygiene 200 299 "$work/xvfb.log"

trace="$work/trace"
strace -f -qq -yy -s 512 -o "$trace" \
    -e trace=%file,%network,write,writev,pwrite64,pwritev,pwritev2,ftruncate,fallocate,memfd_create \
    "$game" >"$work/stdout" 2>"$work/stderr" &
strace_pid=$!

game_window() {
    xdotool search --onlyvisible --name '^Kostkolam - ' 2>/dev/null | head -1 || true
}

for _ in $(seq 100); do
    [ -n "$(game_window)" ] && break
    sleep 0.1
done
[ -n "$(game_window)" ] || { echo "hygiene: the game showed no window" >&2; exit 1; }

# Keys go to the window that has the focus; without a window manager the game gives it to the
# window it shows last, and the player's click or focus change moves it.
focus_random_window() {
    local windows
    mapfile -t windows < <(xdotool search --onlyvisible --name '^(Kostkolam - |Nápověda$)' \
        2>/dev/null || true)
    [ ${#windows[@]} -gt 0 ] || return 0
    xdotool windowfocus "${windows[RANDOM % ${#windows[@]}]}" 2>/dev/null || true
}

RANDOM=1
texts=(a d aaa ddd adad "x 7" ě ščř A D)
events=0
deadline=$((SECONDS + seconds))
while [ "$SECONDS" -lt "$deadline" ] && kill -0 "$strace_pid" 2>/dev/null; do
    case $((RANDOM % 10)) in
        0) xdotool key F2 ;;
        1) xdotool key F5 ;;
        2) xdotool key F1 && sleep 0.3 && xdotool key Return ;;
        3) focus_random_window ;;
        4)
            w=$(game_window)
            if [ -n "$w" ]; then
                eval "$(xdotool getwindowgeometry --shell "$w")"
                xdotool mousemove --sync $((X + RANDOM % WIDTH)) $((Y + RANDOM % HEIGHT)) click 1
            fi
            ;;
        *) xdotool type --delay 20 -- "${texts[RANDOM % ${#texts[@]}]}" ;;
    esac
    events=$((events + 1))
    sleep 0.1
done

# "Konec" (F4) on the title or a level screen ends the game: the last path worth tracing.
for _ in $(seq 20); do
    kill -0 "$strace_pid" 2>/dev/null || break
    xdotool key Return 2>/dev/null || true
    for w in $(xdotool search --onlyvisible --name '^Kostkolam - (the game|Level [123])$' \
        2>/dev/null || true); do
        xdotool windowfocus --sync "$w" 2>/dev/null && xdotool key F4
        break
    done
    sleep 0.5
done
status=0
wait "$strace_pid" || status=$?
strace_pid=""

report="$work/report.txt"
analyse_trace "$trace" "${display#:}" "$HOME" >"$report" && clean=1 || clean=0

{
    echo "hygiene: $seconds s session, $events input actions, exit status $status, trace $trace"
    cat "$report"
    if [ -s "$work/stderr" ]; then
        echo "standard error (not empty):"
        head -20 "$work/stderr" | sed 's/^/    /'
    fi
} | tee "$work/summary.txt"

[ "$clean" -eq 1 ] && [ "$status" -eq 0 ] && [ ! -s "$work/stderr" ]
