#!/usr/bin/env bash
# The real executable's command line: --help and --version answer on standard output and
# exit 0; anything else, Qt's own options included, prints the usage on standard error and
# exits 2 without opening a window (one would keep it running until the timeout).
set -uo pipefail
export QT_QPA_PLATFORM=offscreen
failed=0
while IFS='|' read -r arguments expected stream text; do
    read -r -a words <<<"$arguments"
    timeout 10 "$1" "${words[@]}" >/tmp/commandline.$$.stdout 2>/tmp/commandline.$$.stderr
    status=$?
    other=stderr && [ "$stream" = stderr ] && other=stdout
    if [ "$status" != "$expected" ] || ! grep -qF -- "$text" "/tmp/commandline.$$.$stream" ||
        [ -s "/tmp/commandline.$$.$other" ]; then
        echo "FAIL: vantrel $arguments: exit $status, $(cat /tmp/commandline.$$.std*)"
        failed=1
    fi
done <<TABLE
--help|0|stdout|Usage: vantrel [options]
-v|0|stdout|Vantrel $2
-reverse|2|stderr|Usage: vantrel [options]
-style fusion|2|stderr|Usage: vantrel [options]
--version extra|2|stderr|Usage: vantrel [options]
TABLE
rm -f /tmp/commandline.$$.*
exit "$failed"
