#!/usr/bin/env bash
# Start-up to the first frame, the game against the bare Qt window, offscreen; both programs
# exit right after their first paint. Needs hyperfine and jq (apt-get install hyperfine jq).
#   benchmarks/startup.sh BUILD_DIR
set -euo pipefail
bin=${1:?usage: benchmarks/startup.sh BUILD_DIR}/benchmarks
json=$(mktemp)
trap 'rm -f "$json"' EXIT

QT_QPA_PLATFORM=offscreen hyperfine --shell=none --warmup 3 --runs 30 --export-json "$json" \
    --command-name bare "$bin/bench_startup_bare" --command-name Vantrel "$bin/bench_startup_game"
jq -r '.results[] | "\(.command) \(.median)"' "$json" |
    awk '{ printf "%s: median %.1f ms\n", $1, $2 * 1000; median[NR] = $2 }
        END { printf "ratio of the medians Vantrel/bare: %.2f\n", median[2] / median[1] }'
