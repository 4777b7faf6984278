#!/usr/bin/env bash
# Plays a lost game to the end with real mouse clicks: one peg per row, then "Check Colors",
# ten times. A guess with unset pegs can never win, so the "Looser!" box must appear.
source "$(dirname "$0")/common.sh"
game=$1
start_desktop
cp "$game" "$WORK/vantrel"
"$WORK/vantrel" &
GAME_PID=$!
id=$(wait_for_window Vantrel)
sleep 0.3

eval "$(xwininfo -id "$id" | awk '/Absolute upper-left X:/ { print "left=" $4 } /Absolute upper-left Y:/ { print "top=" $4 } /Height:/ { print "height=" $2 }')"
board_top=$((top + height - 303)) # the board sits under the menu bar

click() {
    xdotool mousemove "$1" "$2" click 1
    sleep 0.15
}

for row in $(seq 1 10); do
    click $((left + 84)) $((board_top + 20 + 24 * (row - 1)))
    click $((left + 172)) $((board_top + 264))
done

box=$(wait_for_window "Looser!")
echo "the box \"Looser!\" appeared (window $box)"
if [ -n "${SCREENSHOT:-}" ]; then
    import -window root "$SCREENSHOT"
fi
wmctrl -i -a "$box" || true
sleep 0.1
xdotool key Return
sleep 0.3
wmctrl -i -c "$id"
status=0
wait "$GAME_PID" || status=$?
GAME_PID=
[ "$status" = 0 ] || fail "exit status $status"
echo "PASS: a lost game played with the mouse ended in the Looser! box"
