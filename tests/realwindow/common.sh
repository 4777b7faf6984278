# Shared by the real-window tests: a private X server with a window manager, and helpers
# that find the game's windows the way a player's desktop sees them.
set -euo pipefail

start_desktop() {
    export DISPLAY=":$((90 + RANDOM % 400))"
    WORK=$(mktemp -d)
    Xvfb "$DISPLAY" -screen 0 1024x768x24 -dpi 96 -nolisten tcp >"$WORK/xvfb.log" 2>&1 &
    XVFB_PID=$!
    trap stop_desktop EXIT
    for _ in $(seq 100); do
        xdpyinfo >/dev/null 2>&1 && break
        sleep 0.05
    done
    openbox >"$WORK/openbox.log" 2>&1 &
    WM_PID=$!
    for _ in $(seq 100); do
        wmctrl -m >/dev/null 2>&1 && break
        sleep 0.05
    done
    unset QT_QPA_PLATFORM
}

stop_desktop() {
    [ -n "${GAME_PID:-}" ] && kill "$GAME_PID" 2>/dev/null || true
    [ -n "${WM_PID:-}" ] && kill "$WM_PID" 2>/dev/null || true
    [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null || true
    rm -rf "${WORK:-/nonexistent}"
}

# Waits until a window with exactly this title is mapped and prints its id.
wait_for_window() {
    local title=$1
    for _ in $(seq 200); do
        local id
        id=$(wmctrl -l | awk -v t="$title" '{ n = $4; for (i = 5; i <= NF; i++) n = n " " $i; if (n == t) print $1 }' | head -n 1)
        if [ -n "$id" ]; then
            echo "$id"
            return 0
        fi
        sleep 0.05
    done
    echo "no window titled '$title' appeared" >&2
    wmctrl -l >&2 || true
    return 1
}

fail() {
    echo "FAIL: $*" >&2
    exit 1
}
