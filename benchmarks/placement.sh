#!/usr/bin/env bash
# Where the game's main window appears under real window managers on Xvfb, and whether it moves
# afterwards. For each window manager and start, watch_placement follows the window from the
# moment it is shown, every half millisecond for 600 ms, and this prints where it appeared, every
# later change with its delay, and how far its frame stands from the middle of the work area.
# Needs Xvfb, wmctrl, xprop, dbus-daemon and the window managers to try.
#   benchmarks/placement.sh BUILD_DIR [RUNS [WINDOW-MANAGER...]]
# Window managers tried by default, those installed of: openbox mutter kwin_x11 xfwm4 metacity marco
set -euo pipefail
build=${1:?usage: benchmarks/placement.sh BUILD_DIR [RUNS [WINDOW-MANAGER...]]}
runs=${2:-5}
shift $(($# < 2 ? $# : 2))
managers=("$@")
[ ${#managers[@]} -gt 0 ] || for manager in openbox mutter kwin_x11 xfwm4 metacity marco; do
    if command -v "$manager" >/dev/null; then managers+=("$manager"); fi
done
work=$(mktemp -d)
bus=
pids=()
# Ends Xvfb and the window manager, and waits for them: the next Xvfb may take the same display.
stop() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
    pids=()
}
trap 'stop; kill "$bus" 2>/dev/null; rm -rf "$work"' EXIT

# Settings of a fresh account, so that a desktop setting such as accessibility being on,
# which makes every Qt program slower to start, does not change the figures.
mkdir "$work/config" && export XDG_CONFIG_HOME=$work/config
# A session bus, as on a desktop, which the desktop window managers need.
dbus-daemon --session --fork --print-address=1 --print-pid=1 >"$work/bus"
bus=$(sed -n 2p "$work/bus")
export DBUS_SESSION_BUS_ADDRESS=$(sed -n 1p "$work/bus") NO_AT_BRIDGE=1

for manager in "${managers[@]}"; do
    exec {fd}<> <(:)
    Xvfb -displayfd "$fd" -screen 0 1024x768x24 -dpi 96 -nolisten tcp >"$work/xvfb.log" 2>&1 &
    pids+=($!)
    read -r -t 30 -u "$fd" number || { echo "Xvfb did not start: $(cat "$work/xvfb.log")" >&2; exit 1; }
    exec {fd}<&-
    export DISPLAY=:$number
    case $manager in
    mutter) exec mutter --x11 --replace ;;
    kwin_x11) QT_QPA_PLATFORM=xcb exec kwin_x11 --replace ;;
    xfwm4) exec xfwm4 --replace --compositor=off ;;
    *) exec "$manager" --replace ;;
    esac >"$work/wm.log" 2>&1 &
    pids+=($!)
    for _ in $(seq 200); do wmctrl -m >/dev/null 2>&1 && break || sleep 0.05; done
    wmctrl -m >/dev/null 2>&1 || { echo "$manager did not start: $(tail -n 5 "$work/wm.log")" >&2; stop; continue; }
    sleep 1 # the desktop ones finish starting after they take the screen
    read -r left top width height < <(xprop -root -notype _NET_WORKAREA | tr -d , |
        awk 'NF >= 6 { print $3, $4, $5, $6; next } { print 0, 0, 1024, 768 }')
    for run in $(seq "$runs"); do
        "$build/benchmarks/watch_placement" Vantrel 600 >"$work/watch" &
        watch=$!
        sleep 0.2
        "$build/app/vantrel" >/dev/null 2>&1 &
        game=$!
        wait "$watch" || true
        kill "$game" && wait "$game" 2>/dev/null || true
        awk -v manager="$manager" -v run="$run" -v left="$left" -v top="$top" -v width="$width" -v height="$height" '
            { sub(/:$/, "", $2); seen[NR] = $0 }
            END {
                if (!NR) { printf "%s, start %d: no window shown\n", manager, run; exit }
                n = split(seen[NR], f, /[^-0-9.]+/) # ...frame WIDTHxHEIGHT at X,Y
                dx = f[n - 1] - (left + int((width - f[n - 3]) / 2))
                dy = f[n] - (top + int((height - f[n - 2]) / 2))
                printf "%s, start %d: %s; %s; frame %s\n", manager, run, substr(seen[1], index(seen[1], "window")),
                    NR == 1 ? "never moved" : "then " (NR - 1) " change(s), last at " $1 " ms: " substr(seen[NR], index(seen[NR], "window")),
                    dx || dy ? sprintf("%+d,%+d px off the middle", dx, dy) : "centred"
            }' "$work/watch"
    done
    stop
done
