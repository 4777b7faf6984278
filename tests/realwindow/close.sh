#!/usr/bin/env bash
# The executable maps a window "Vantrel" with a 226 x 303 client area under its menu bar,
# fixed in size with a close box only, and exits with status 0 when the window is closed.
source "$(dirname "$0")/common.sh"
game=$1
start_desktop
cp "$game" "$WORK/vantrel"
"$WORK/vantrel" &
GAME_PID=$!
id=$(wait_for_window Vantrel)

read -r width height < <(xwininfo -id "$id" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w, h }')
[ "$width" = 226 ] || fail "client width $width, expected 226"
[ "$height" -gt 303 ] || fail "client height $height leaves no room for the menu bar"
hints=$(xprop -id "$id" WM_NORMAL_HINTS)
grep -q "program specified minimum size: 226 by $height" <<<"$hints" || fail "not fixed: $hints"
grep -q "program specified maximum size: 226 by $height" <<<"$hints" || fail "not fixed: $hints"
echo "client area 226 x $height (menu bar $((height - 303)) px above the board)"

wmctrl -i -c "$id"
status=0
wait "$GAME_PID" || status=$?
GAME_PID=
[ "$status" = 0 ] || fail "exit status $status"
echo "PASS: window mapped and the process ended with status 0 when it was closed"
