#!/usr/bin/env bash
# Start-up: the game against two yardsticks, a bare Qt window with about as many widgets as the
# board ("bare") and an empty Qt window ("floor"), offscreen to the first paint and on Xvfb under
# openbox until the window manager has mapped the window and to the first paint. After three
# warm-up runs, hyperfine times ROUNDS rounds (default 30) of one run of each program in turn;
# prints the medians and ratios per ten rounds and for all, and "by round", the median of each
# round's own ratio of the game to the bare window. Needs hyperfine, jq, xvfb, openbox, wmctrl
# and dbus.   benchmarks/startup.sh BUILD_DIR [ROUNDS]
set -euo pipefail
bin=${1:?usage: benchmarks/startup.sh BUILD_DIR [ROUNDS]}/benchmarks
rounds=${2:-30}
work=$(mktemp -d)
pids=()
trap 'for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done; rm -rf "$work"' EXIT

# A fresh account's settings: a desktop setting such as accessibility slows every Qt program.
mkdir "$work/config" && export XDG_CONFIG_HOME=$work/config
# A session bus, as on a desktop: without one, Qt on X would start a bus of its own every run.
dbus-daemon --session --fork --print-address=1 --print-pid=1 >"$work/bus"
pids+=("$(sed -n 2p "$work/bus")")
export DBUS_SESSION_BUS_ADDRESS=$(sed -n 1p "$work/bus")

# measure PLATFORM UNTIL: the rounds on that Qt platform up to the first paint or until mapped,
# reported ten at a time and then all together.
measure() {
    local runs name=$1-$2
    for round in $(seq 0 "$rounds"); do
        runs=$([ "$round" = 0 ] && echo 3 || echo 1) # round 0 warms up
        QT_QPA_PLATFORM=$1 STARTUP_UNTIL=$2 hyperfine --shell=none --style none --runs "$runs" \
            --export-json "$work/$name-$round.json" --command-name floor "$bin/bench_startup_floor" \
            --command-name bare "$bin/bench_startup_bare" --command-name Vantrel "$bin/bench_startup_game"
    done
    for first in $(seq 1 10 "$rounds"); do
        local last=$((first + 9 < rounds ? first + 9 : rounds))
        report "$1 until $2, rounds $first-$last" $(for round in $(seq "$first" "$last"); do echo "$work/$name-$round.json"; done)
    done
    report "$1 until $2, all $rounds rounds" $(for round in $(seq "$rounds"); do echo "$work/$name-$round.json"; done)
}

# report LABEL JSON...: the median of each program's runs in these files, their ratios, and the
# median of each round's own ratio of the game to the bare window.
report() {
    local label=$1
    shift
    jq -s -r 'def median: sort | (.[(length - 1) / 2 | floor] + .[length / 2 | floor]) / 2;
        ([.[].results[]] | group_by(.command)[] | "\(.[0].command) \([.[].times[]] | median)"),
        "paired \([.[] | [.results[] | {(.command): .times[0]}] | add | .Vantrel / .bare] | median)"' "$@" |
        awk -v label="$label" '$1 == "paired" { paired = $2; next } { ms[$1] = $2 * 1000 }
            END { printf "%s: Vantrel %.1f ms, bare %.1f ms, floor %.1f ms; Vantrel/bare %.2f (by round %.2f), Vantrel/floor %.2f, bare/floor %.2f\n",
                  label, ms["Vantrel"], ms["bare"], ms["floor"], ms["Vantrel"] / ms["bare"], paired,
                  ms["Vantrel"] / ms["floor"], ms["bare"] / ms["floor"] }'
}

measure offscreen painted

exec {display}<> <(:)
Xvfb -displayfd "$display" -screen 0 1024x768x24 -dpi 96 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
read -r -t 30 -u "$display" number || { echo "Xvfb did not start: $(cat "$work/xvfb.log")" >&2; exit 1; }
export DISPLAY=:$number
openbox >"$work/openbox.log" 2>&1 &
pids+=($!)
for _ in $(seq 400); do wmctrl -m >/dev/null 2>&1 && break || sleep 0.05; done
measure xcb mapped
measure xcb painted
