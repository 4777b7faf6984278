#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and fuzzes the high-score file reader for a
# bounded time. Usage: scripts/fuzz.sh [SECONDS]   (default 30; non-zero exit on any finding)
set -euo pipefail

seconds="${1:-30}"
if ! [[ "$seconds" =~ ^[0-9]+$ ]] || [ "$seconds" -lt 1 ]; then
    echo "usage: $0 [SECONDS]" >&2
    exit 2
fi

cd "$(dirname "${BASH_SOURCE[0]}")/.."
build=build-fuzz

cmake -S . -B "$build" -DVANTREL_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++-14 \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target fuzz_highscorefile -j "$(nproc)" >/dev/null

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir "$work/corpus" "$work/artifacts"
printf '120 - Bob\r\n45 - Ann\r\n9 - Cy\r\n\r\n' >"$work/corpus/sorted"
printf '\r\n' >"$work/corpus/empty"
printf 'Bob\r\nann\r\nANN\r\n' >"$work/corpus/no-final-line"
printf '7 - J\xf6rg\n\n12 - Ana\xefs\rx' >"$work/corpus/mixed-line-ends"

status=0
"$build/fuzz/fuzz_highscorefile" "$work/corpus" -max_total_time="$seconds" \
    -artifact_prefix="$work/artifacts/" -print_final_stats=1 >"$work/log" 2>&1 || status=$?

execs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log" | tail -n 1)"
findings="$(find "$work/artifacts" -type f | wc -l)"
if [ "$status" -ne 0 ] || [ "$findings" -ne 0 ]; then
    mkdir -p "$build/findings"
    cp "$work/artifacts/"* "$build/findings/" 2>/dev/null || true
    tail -n 40 "$work/log" >&2
    echo "fuzz_highscorefile: FAILED after ${execs:-?} runs (exit $status, $findings finding(s) saved in $build/findings/)"
    exit 1
fi
echo "fuzz_highscorefile: clean, ${execs:-?} runs in ${seconds}s"
