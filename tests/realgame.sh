#!/usr/bin/env bash
# Usage: realgame.sh SCRIPTED-GAME VANTREL VERSION
# The game as whole processes: the game with a known code (yellow, blue, green, red), driven
# by commands on standard input (support/scriptedgame.cpp). Two copies on one list, signals,
# a player who may not write the program's folder; then, under Xvfb with a window manager,
# what only a real desktop shows.
set -euo pipefail
game=$1
WORK=$(mktemp -d)
chmod 755 "$WORK"
trap 'kill $(jobs -p) 2>/dev/null; chmod -R u+w "$WORK"; rm -rf "$WORK"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
# has FILE BYTES: the list holds exactly these bytes (printf escapes), or is missing for "-".
has() {
    if [ "$2" = - ]; then [ ! -e "$1" ] || fail "$1 was written"; return; fi
    cmp -s "$1" <(printf "$2") || fail "$1 holds $(od -c "$1" 2>&1 | head -3), not $2"
}
# start NAME FOLDER [COMMAND PREFIX...]: a copy of the game in FOLDER, its list beside it.
start() {
    local name=$1 dir=$2 fd
    shift 2
    mkdir -p "$dir"
    [ -e "$dir/game" ] || cp "$game" "$dir/game"
    mkfifo "$WORK/$name.in" && : >"$WORK/$name.out"
    "$@" "$dir/game" <"$WORK/$name.in" >"$WORK/$name.out" 2>"$WORK/$name.err" &
    printf -v "pid_$name" %s $!
    exec {fd}>"$WORK/$name.in"
    printf -v "fd_$name" %s "$fd"
}
post() { local fd=fd_$1; echo "$2" >&"${!fd}"; }
oks() { grep -c '^ok$' "$WORK/$1.out" || true; }
# send NAME COMMAND...: runs the commands in that copy, waiting for each to be answered.
send() {
    local before
    for command in "${@:2}"; do
        before=$(oks "$1") && post "$1" "$command"
        for _ in $(seq 400); do [ "$(oks "$1")" -gt "$before" ] && continue 2 || sleep 0.05; done
        fail "no answer to $command"
    done
}
# finish NAME [SIGNAL]: closes its input (or sends the signal) and expects exit status 0.
finish() {
    local fd=fd_$1 pid=pid_$1 status=0
    [ -z "${2:-}" ] || kill -s "$2" "${!pid}"
    eval "exec ${!fd}>&-"
    wait "${!pid}" || status=$?
    [ "$status" = 0 ] || fail "$1 ended with $status: $(cat "$WORK/$1.err")"
    rm "$WORK/$1.in"
}
export QT_QPA_PLATFORM=offscreen

# The real executable's command line: --help and --version answer on standard output, and a
# session manager's -session ID is let through; anything else, Qt's own options too, gets the
# usage on standard error and status 2, and no window.
while IFS='|' read -r arguments status text; do
    read -r -a words <<<"$arguments"
    code=0 && timeout 10 "$2" "${words[@]}" >"$WORK/1" 2>"$WORK/2" || code=$?
    [ "$code" = "$status" ] && grep -qF -- "$text" "$WORK/$((code ? 2 : 1))" &&
        [ ! -s "$WORK/$((code ? 1 : 2))" ] || fail "vantrel $arguments: status $code, $(cat "$WORK"/[12])"
done <<TABLE
--help|0|Usage: vantrel [options]
-v|0|Vantrel $3
-reverse|2|Usage: vantrel [options]
-style fusion|2|Usage: vantrel [options]
--version extra|2|Usage: vantrel [options]
-session 1a2b3c --version|0|Vantrel $3
TABLE

# Two copies on one list keep each other's entries, whichever closes first.
for order in "ann bob" "bob ann"; do
    dir=$WORK/${order// /-}
    start ann "$dir" && start bob "$dir"
    send ann win "name Ann" && send bob win "name Bob"
    for copy in $order; do send "$copy" close; done
    finish ann && finish bob
    has "$dir/High Scores.trel" '4 - Ann\r\n4 - Bob\r\n\r\n'
done

# SIGTERM, SIGHUP and SIGINT end the game cleanly; a win waiting for its name is kept.
while IFS='|' read -r signal commands bytes; do
    start copy "$WORK/$signal"
    IFS=';' read -r -a list <<<"$commands"
    send copy "${list[@]}"
    finish copy "$signal"
    has "$WORK/$signal/High Scores.trel" "$bytes"
done <<'TABLE'
TERM|win|4 - Player Name\r\n\r\n
HUP|win;name Ann|4 - Ann\r\n\r\n
INT|print|\r\n
TABLE
echo "ok: the command line, two copies on one list, signals"

# A player who may not write the program's folder gets a list of their own, starting from the
# one beside the program; a list there that the player may write is written in place. As root,
# who ignores permissions, the player is nobody.
as=()
if [ "$(id -u)" = 0 ]; then
    command -v setpriv >/dev/null && id nobody >/dev/null 2>&1 || fail "no setpriv or nobody"
    as=(setpriv --reuid=nobody --regid=nogroup --clear-groups --)
fi
dir=$WORK/readonly home=$WORK/home
mkdir -p "$dir" "$home" && cp "$game" "$dir/game"
[ "${#as[@]}" = 0 ] || chown nobody "$home"
export HOME=$home XDG_DATA_HOME=$home/data
own="$home/data/Vantrel/High Scores.trel"
# The list beside the program: its mode, or none | the player's own list then | the one beside
while IFS='|' read -r mode mine beside; do
    chmod u+w "$dir" && rm -f "$own" "$dir/High Scores.trel"
    [ "$mode" = none ] || printf '45 - Ann\r\n\r\n' >"$dir/High Scores.trel"
    [ "$mode" = none ] || chmod "$mode" "$dir/High Scores.trel"
    chmod 555 "$dir"
    start copy "$dir" "${as[@]}" && send copy win "name Zed" close && finish copy
    has "$own" "$mine" && has "$dir/High Scores.trel" "$beside"
    [ "$(ls -A "$dir" | wc -l)" -le 2 ] || fail "left behind: $(ls -A "$dir")"
    start copy "$dir" "${as[@]}" && send copy print && finish copy TERM
    grep -q '^entry 4 - Zed$' "$WORK/copy.out" || fail "the next game does not show the list"
done <<'TABLE'
444|4 - Zed\r\n45 - Ann\r\n\r\n|45 - Ann\r\n\r\n
666|-|4 - Zed\r\n45 - Ann\r\n\r\n
none|4 - Zed\r\n\r\n|-
TABLE
echo "ok: a player who may not write the program's folder keeps a list of their own"

# Under a real window manager, as a player's desktop shows the game.
unset QT_QPA_PLATFORM
exec {display}<> <(:)
Xvfb -displayfd "$display" -screen 0 1024x768x24 -dpi 96 -nolisten tcp >"$WORK/xvfb.log" 2>&1 &
read -r -t 30 -u "$display" number || fail "Xvfb did not start: $(cat "$WORK/xvfb.log")"
export DISPLAY=:$number
openbox >"$WORK/openbox.log" 2>&1 &
for _ in $(seq 400); do wmctrl -m >/dev/null 2>&1 && break || sleep 0.05; done
# window TITLE | window WIDTH HEIGHT: the id of the game's mapped window with that title or size.
window() {
    for _ in $(seq 200); do
        for id in $(xdotool search --onlyvisible --pid "$pid_copy" 2>/dev/null); do
            if [ $# = 1 ]; then [ "$(xdotool getwindowname "$id")" = "$1" ]; else
                xwininfo -id "$id" | grep -q "Width: $1\$" && xwininfo -id "$id" | grep -q "Height: $2\$"
            fi && { echo "$id"; return; }
        done
        sleep 0.05
    done
    fail "no window $*"
}
# click ID X Y: a mouse click at X, Y of the window's client area.
click() {
    read -r x y < <(xwininfo -id "$1" | awk '/Absolute upper-left X:/ { x = $4 } /Absolute upper-left Y:/ { y = $4 } END { print x, y }')
    xdotool mousemove $((x + $2)) $((y + $3)) click 1
    sleep 0.2
}
place() { # from the bottom of the window manager's stacking order
    xprop -root _NET_CLIENT_LIST_STACKING | tr -d , | awk '{ for (i = 5; i <= NF; i++) print $i }' |
        while read -r id; do echo $((id)); done | grep -n -x "$1" | cut -d: -f1
}

start copy "$WORK/desk"
main=$(window Vantrel)
# A win on row 2 leaves the board beside the score dialog, which a click on the board must not
# bury, and which cannot be closed, moved or resized from outside.
post copy "win 2"
xdotool windowactivate --sync "$(window "You Win!")" key Return
dialog=$(window 211 83)
xprop -id "$dialog" _MOTIF_WM_HINTS | grep -q '= 0x3, 0x0, 0x0' || fail "the dialog can be moved"
click "$main" 30 100
[ "$(place "$dialog")" -gt "$(place "$main")" ] || fail "the board covers the score dialog"
xdotool windowactivate --sync "$dialog" key alt+F4 && wmctrl -i -c "$dialog" && sleep 0.4
xwininfo -id "$dialog" | grep -q IsViewable || fail "the score dialog closed from outside"
click "$dialog" 165 65
wmctrl -i -c "$(window "Vantrel High Scores!!")" && wmctrl -i -c "$main"
finish copy
has "$WORK/desk/High Scores.trel" '21 - Player Name\r\n\r\n'
echo "ok: under a window manager the game plays, and its dialogs stay until answered"
