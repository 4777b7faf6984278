# Shared by the real-window tests: a private X server with a window manager, and helpers
# that find the game's windows the way a player's desktop sees them.
set -euo pipefail

start_desktop() {
    WORK=$(mktemp -d)
    trap stop_desktop EXIT
    # Xvfb picks a free display itself and writes its number once it accepts clients.
    exec {display_fd}<> <(:)
    Xvfb -displayfd "$display_fd" -screen 0 1024x768x24 -dpi 96 -nolisten tcp \
        >"$WORK/xvfb.log" 2>&1 &
    XVFB_PID=$!
    local number=""
    read -r -t 30 -u "$display_fd" number || fail "Xvfb did not start: $(cat "$WORK/xvfb.log")"
    export DISPLAY=":$number"
    openbox >"$WORK/openbox.log" 2>&1 &
    WM_PID=$!
    for _ in $(seq 400); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
        sleep 0.05
    done
    wmctrl -m >/dev/null 2>&1 || fail "openbox did not start: $(cat "$WORK/openbox.log")"
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
    for _ in $(seq 600); do
        local id
        id=$(wmctrl -l 2>/dev/null | awk -v t="$title" '{ n = $4; for (i = 5; i <= NF; i++) n = n " " $i; if (n == t) print $1 }' | head -n 1)
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
