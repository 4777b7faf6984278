#!/usr/bin/env bash
# Start-up to the first frame: the game against two yardsticks, a bare Qt window with about as
# many widgets as the board ("bare") and an empty Qt window ("floor"). Each program exits right
# after its first paint, which on an X server comes once the window manager has mapped the window.
# Measured offscreen, and on Xvfb under openbox, where the window icon and the frame cost too.
# After three warm-up runs of each, hyperfine times ROUNDS rounds (default 30) of one run of each
# program in turn, so that a change in the machine's load falls on all three alike. Prints the
# medians and their ratios for every ten rounds, then for all of them.
# Needs hyperfine, jq, Xvfb, openbox, wmctrl and dbus-daemon
# (apt-get install hyperfine jq xvfb openbox wmctrl dbus).
#   benchmarks/startup.sh BUILD_DIR [ROUNDS]
set -euo pipefail
bin=${1:?usage: benchmarks/startup.sh BUILD_DIR [ROUNDS]}/benchmarks
rounds=${2:-30}
work=$(mktemp -d)
pids=()
trap 'for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done; rm -rf "$work"' EXIT

# Settings of a fresh account, so that a desktop setting such as accessibility being on,
# which makes every Qt program slower to start, does not change the figures.
mkdir "$work/config" && export XDG_CONFIG_HOME=$work/config
# A session bus, as on a desktop: without one, Qt on X would start a bus of its own every run.
dbus-daemon --session --fork --print-address=1 --print-pid=1 >"$work/bus"
pids+=("$(sed -n 2p "$work/bus")")
export DBUS_SESSION_BUS_ADDRESS=$(sed -n 1p "$work/bus")

# measure PLATFORM: the rounds on that Qt platform, reported ten at a time and then all together.
measure() {
    local runs
    for round in $(seq 0 "$rounds"); do
        runs=$([ "$round" = 0 ] && echo 3 || echo 1) # round 0 warms up
        QT_QPA_PLATFORM=$1 hyperfine --shell=none --style none --runs "$runs" \
            --export-json "$work/$1-$round.json" --command-name floor "$bin/bench_startup_floor" \
            --command-name bare "$bin/bench_startup_bare" --command-name Vantrel "$bin/bench_startup_game"
    done
    for first in $(seq 1 10 "$rounds"); do
        local last=$((first + 9 < rounds ? first + 9 : rounds))
        report "$1, rounds $first-$last" $(for round in $(seq "$first" "$last"); do echo "$work/$1-$round.json"; done)
    done
    report "$1, all $rounds rounds" $(for round in $(seq "$rounds"); do echo "$work/$1-$round.json"; done)
}

# report LABEL JSON...: the median of each program's runs in these files, and the ratios.
report() {
    local label=$1
    shift
    jq -s -r '[.[].results[]] | group_by(.command)[] |
        "\(.[0].command) \([.[].times[]] | sort | (.[(length - 1) / 2 | floor] + .[length / 2 | floor]) / 2)"' "$@" |
        awk -v label="$label" '{ ms[$1] = $2 * 1000 }
            END { printf "%s: Vantrel %.1f ms, bare %.1f ms, floor %.1f ms; Vantrel/bare %.2f, Vantrel/floor %.2f, bare/floor %.2f\n",
                  label, ms["Vantrel"], ms["bare"], ms["floor"], ms["Vantrel"] / ms["bare"],
                  ms["Vantrel"] / ms["floor"], ms["bare"] / ms["floor"] }'
}

measure offscreen

exec {display}<> <(:)
Xvfb -displayfd "$display" -screen 0 1024x768x24 -dpi 96 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
read -r -t 30 -u "$display" number || { echo "Xvfb did not start: $(cat "$work/xvfb.log")" >&2; exit 1; }
export DISPLAY=:$number
openbox >"$work/openbox.log" 2>&1 &
pids+=($!)
for _ in $(seq 400); do wmctrl -m >/dev/null 2>&1 && break || sleep 0.05; done
measure xcb
