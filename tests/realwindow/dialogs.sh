#!/usr/bin/env bash
# What only a real window manager shows about the dialogs (the game with a known code, driven
# from standard input): the score dialog survives Alt+F4 and the manager's close, says it
# cannot be moved, stays above the board after a later win, and a minimised list comes back.
source "$(dirname "$0")/common.sh"
start_desktop
cp "$1" "$WORK/game"
coproc GAME { exec "$WORK/game" 2>"$WORK/game.log"; }
GAME_PID=$GAME_PID
send() {
    echo "$1" >&"${GAME[1]}"
    local line
    while read -r -t 20 line <&"${GAME[0]}" && [ "$line" != ok ]; do :; done
    sleep 0.3
}
# The one mapped window of the game with this client size.
window_of_size() {
    for id in $(xdotool search --onlyvisible --pid "$GAME_PID" 2>/dev/null); do
        xwininfo -id "$id" | grep -q "Width: $1\$" && xwininfo -id "$id" | grep -q "Height: $2\$" &&
            { echo "$id"; return 0; }
    done
    xdotool search --pid "$GAME_PID" >&2; cat "$WORK/game.log" >&2; fail "no window of $1 x $2"
}
origin() { xwininfo -id "$1" | awk '/Absolute upper-left X:/ { x = $4 } /Absolute upper-left Y:/ { y = $4 } END { print x, y }'; }

main=$(wait_for_window Vantrel)
send "win 2"
dialog=$(window_of_size 211 83)
xprop -id "$dialog" _MOTIF_WM_HINTS | grep -q '= 0x3, 0x0, 0x0' || fail "dialog offers window functions: $(xprop -id "$dialog" _MOTIF_WM_HINTS)"

# A click on the board beside it must not bury the dialog.
read -r x y < <(origin "$main")
xdotool mousemove $((x + 30)) $((y + 100)) click 1
sleep 0.4
# Place from the bottom of the window manager's stacking order.
stack_place() {
    xprop -root _NET_CLIENT_LIST_STACKING | tr -d ',' | awk '{ for (i = 5; i <= NF; i++) print $i }' |
        while read -r id; do echo $((id)); done | grep -n -x "$(($1))" | cut -d: -f1
}
[ "$(stack_place "$dialog")" -gt "$(stack_place "$main")" ] || fail "the board covers the score dialog"

# Neither Alt+F4 nor the window manager's close request closes it.
xdotool windowactivate --sync "$dialog" key alt+F4
wmctrl -i -c "$dialog"
sleep 0.5
xwininfo -id "$dialog" | grep -q IsViewable || fail "the score dialog was closed from outside"

# "Enter Name" with the mouse: the list opens with the entry. Minimised, it comes back when shown.
read -r x y < <(origin "$dialog")
xdotool mousemove $((x + 1 + 164)) $((y + 1 + 64)) click 1
list=$(wait_for_window "Vantrel High Scores!!")
xdotool windowminimize --sync "$list"
send print
xwininfo -id "$list" | grep -q IsViewable || fail "the minimised list stayed hidden"

wmctrl -i -c "$list"
wmctrl -i -c "$main"
status=0
wait "$GAME_PID" || status=$?
GAME_PID=
[ "$status" = 0 ] || fail "exit status $status: $(cat "$WORK/game.log")"
[ "$(cat "$WORK/High Scores.trel")" = $'21 - Player Name\r\n\r' ] || fail "file: $(od -c "$WORK/High Scores.trel")"
echo "PASS: the score dialog stayed above the board, refused outside closes and made its entry"
