#!/usr/bin/env bash
# Runs the real executable with each command line below. --help and --version answer on
# standard output and exit 0; anything else, Qt's own options included, prints the usage on
# standard error and exits 2. A window would keep the event loop running until the timeout,
# so an exit within it shows that no window was opened.
set -uo pipefail
game=$1
version=$2
export QT_QPA_PLATFORM=offscreen
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

failed=0
# arguments | exit status | stream that holds the answer | text it starts with
while IFS='|' read -r arguments expected stream text; do
    read -r -a words <<<"$arguments"
    timeout 10 "$game" "${words[@]}" >"$work/stdout" 2>"$work/stderr"
    status=$?
    other=stderr
    [ "$stream" = stderr ] && other=stdout
    problem=""
    if [ "$status" = 124 ]; then
        problem="still running after 10 s"
    elif [ "$status" != "$expected" ]; then
        problem="exit status $status, expected $expected"
    elif ! grep -qF -- "$text" "$work/$stream"; then
        problem="no '$text' on $stream"
    elif [ -s "$work/$other" ]; then
        problem="unexpected output on $other: $(head -c 200 "$work/$other")"
    fi
    if [ -n "$problem" ]; then
        echo "FAIL: vantrel $arguments: $problem"
        failed=$((failed + 1))
    else
        echo "ok: vantrel $arguments -> $status, '$text' on $stream"
    fi
done <<TABLE
--help|0|stdout|Usage: vantrel [options]
-h|0|stdout|Usage: vantrel [options]
--version|0|stdout|Vantrel $version
-v|0|stdout|Vantrel $version
-reverse|2|stderr|Usage: vantrel [options]
-style fusion|2|stderr|Usage: vantrel [options]
--bogus|2|stderr|Usage: vantrel [options]
extra|2|stderr|Usage: vantrel [options]
--version extra|2|stderr|Usage: vantrel [options]
TABLE
[ "$failed" = 0 ]
