#!/usr/bin/env bash
# Usage: realgame.sh SCRIPTED-GAME VANTREL VERSION
# The game as whole processes: the game with a known code (yellow, blue, green, red), driven
# by commands on standard input (support/scriptedgame.cpp). Signals, a list another copy holds,
# a player who may not write the program's folder, three copies saving at once; then, under Xvfb
# with a window manager, what only a real desktop shows.
set -euo pipefail
game=$1
WORK=$(mktemp -d)
chmod 755 "$WORK"
trap 'kill $(jobs -p) 2>/dev/null; chmod -R u+w "$WORK"; rm -rf "$WORK"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
# has FILE BYTES: the list holds exactly these bytes (printf escapes), is missing for "-", or is
# still a named pipe for "pipe".
has() {
    if [ "$2" = - ]; then [ ! -e "$1" ] || fail "$1 was written"; return; fi
    if [ "$2" = pipe ]; then [ -p "$1" ] || fail "$1 is no longer a pipe"; return; fi
    cmp -s "$1" <(printf "$2") || fail "$1 holds $(od -c "$1" 2>&1 | head -3), not $2"
}
# start NAME FOLDER [COMMAND PREFIX...]: a copy of the game in FOLDER, its list beside it.
start() {
    local name=$1 dir=$2 fd
    shift 2
    mkdir -p "$dir"
    [ -e "$dir/game" ] || cp "$game" "$dir/game"
    mkfifo "$WORK/$name.in" && : >"$WORK/$name.out"
    # Through pipes, which no limit on file sizes the copy runs under applies to.
    "$@" "$dir/game" <"$WORK/$name.in" > >(cat >"$WORK/$name.out") 2> >(cat >"$WORK/$name.err") &
    printf -v "pid_$name" %s $!
    exec {fd}>"$WORK/$name.in"
    printf -v "fd_$name" %s "$fd"
}
post() { local fd=fd_$1; echo "$2" >&"${!fd}"; }
oks() { grep -c '^ok$' "$WORK/$1.out" || true; }
# answered NAME N: waits until that copy has answered N commands.
answered() {
    for _ in $(seq 600); do [ "$(oks "$1")" -ge "$2" ] && return || sleep 0.05; done
    fail "$1 did not answer"
}
# send NAME COMMAND...: runs the commands in that copy, waiting for each to be answered.
send() {
    local before
    for command in "${@:2}"; do
        before=$(oks "$1") && post "$1" "$command" && answered "$1" $((before + 1))
    done
}
# finish NAME [SIGNAL]: closes its input (or sends the signal), expects the copy to end by itself
# within seconds, as it must once its last window is gone, and with exit status 0.
finish() {
    local fd=fd_$1 pid=pid_$1 status=0
    [ -z "${2:-}" ] || kill -s "$2" "${!pid}"
    eval "exec ${!fd}>&-"
    for _ in $(seq 100); do kill -0 "${!pid}" 2>/dev/null && sleep 0.05 || break; done
    kill -0 "${!pid}" 2>/dev/null && fail "$1 is still running"
    wait "${!pid}" || status=$?
    [ "$status" = 0 ] || [ "${2:-}" = KILL ] || fail "$1 ended with $status: $(cat "$WORK/$1.err")"
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

# SIGTERM, SIGHUP and SIGINT end the game cleanly; a win waiting for its name is kept, also
# through a close from outside. The end of the desktop session saves what is pending, and the
# game goes on until the session ends it.
while IFS='|' read -r signal commands bytes; do
    start copy "$WORK/$signal"
    IFS=';' read -r -a list <<<"$commands"
    send copy "${list[@]}"
    finish copy "$signal"
    has "$WORK/$signal/High Scores.trel" "$bytes"
done <<'TABLE'
TERM|win|4 - Player Name\r\n\r\n
HUP|win;shut;name Ann|4 - Ann\r\n\r\n
INT|name Bo;print|\r\n
KILL|win 2;session;new;win;session|21 - Player Name\r\n4 - Player Name\r\n\r\n
TABLE

# Another copy holding the list for long: the save gives up within 3 s and says so, and a signal
# ends a game that is waiting within a second.
dir=$WORK/held
start copy "$dir" && send copy print close
exec {held}<"$dir/High Scores.trel" && flock "$held"
started=$(date +%s%N) && send copy "win 2" "name Hal" close
[ $(($(date +%s%N) - started)) -lt 3000000000 ] || fail "the save waited too long"
grep -q 'kept it locked. These new entries were not saved: "21 - Hal"' "$WORK/copy.out" ||
    fail "no word of the locked list: $(cat "$WORK/copy.out")"
send copy new win "name Ivy" && post copy close && sleep 0.3
started=$(date +%s%N) && finish copy TERM
[ $(($(date +%s%N) - started)) -lt 1500000000 ] || fail "the signal waited for the lock"
exec {held}<&-
has "$dir/High Scores.trel" '\r\n'
echo "ok: the command line, signals, a list held by another copy"

# A player who may not write the program's folder gets a list of their own, starting from the
# one beside the program; a list there that the player may write is written in place. As root,
# who ignores permissions, the player is nobody.
as=()
if [ "$(id -u)" = 0 ]; then
    command -v setpriv >/dev/null && id nobody >/dev/null 2>&1 || fail "no setpriv or nobody"
    as=(setpriv --reuid=nobody --regid=nogroup --clear-groups --)
fi
dir=$WORK/caf$'\xe9' home=$WORK/home # a folder whose name is not UTF-8
mkdir -p "$dir" "$home" && cp "$game" "$dir/game"
[ "${#as[@]}" = 0 ] || chown nobody "$home"
export HOME=$home XDG_DATA_HOME=$home/data
own="$home/data/Vantrel/High Scores.trel"
# The list beside the program (its mode, a pipe, a link or none; + when the player may write its folder)
# | the player's own list (its mode, or none) | a command the copy runs under | the player's own list then | the one beside | what the game says
while IFS='|' read -r beside mine limit mine_after beside_after says; do
    chmod u+w "$dir" && rm -f "$own" "$dir/High Scores.trel"
    case $beside in
    none) ;;
    pipe) mkfifo "$dir/High Scores.trel" ;;
    link) printf '45 - Ann\r\n\r\n' >"$WORK/seed" && ln -s "$WORK/seed" "$dir/High Scores.trel" ;;
    *) printf '45 - Ann\r\n\r\n' >"$dir/High Scores.trel" && chmod "${beside%+}" "$dir/High Scores.trel" ;;
    esac
    owner=$(stat -c %U:%G:%a "$dir/High Scores.trel" 2>/dev/null || true)
    if [ "$mine" != none ]; then
        mkdir -p "${own%/*}" && printf '9 - Old\r\n\r\n' >"$own" && chmod "$mine" "$own"
        [ "${#as[@]}" = 0 ] || chown -R nobody "$home/data"
    fi
    chmod 555 "$dir" && [ "${beside: -1}" != + ] || chmod 777 "$dir" # +: the player may write it
    limits=()
    [ "$limit" = - ] || read -r -a limits <<<"$limit"
    start copy "$dir" "${as[@]}" "${limits[@]}" && send copy print win "name Zed" close && finish copy
    chmod -f u+r "$own" || true # to read what an unreadable list holds, when not root
    has "$own" "$mine_after" && has "$dir/High Scores.trel" "$beside_after"
    [ "$(stat -c %U:%G:%a "$dir/High Scores.trel" 2>/dev/null || true)" = "$owner" ] || fail "new owner"
    grep -qF "$says" "$WORK/copy.out" || fail "the game did not say $says: $(cat "$WORK/copy.out")"
    [ "$(ls -A "$dir" | wc -l)" -le 2 ] || fail "left behind: $(ls -A "$dir")"
    [[ "$mine_after$beside_after" == *Zed* ]] || continue
    start copy "$dir" "${as[@]}" && send copy print && finish copy TERM
    grep -q '^entry 4 - Zed$' "$WORK/copy.out" || fail "the next game does not show the list"
done <<'TABLE'
444|none|-|4 - Zed\r\n45 - Ann\r\n\r\n|45 - Ann\r\n\r\n|entry 45 - Ann
666|none|-|-|4 - Zed\r\n45 - Ann\r\n\r\n|entry 45 - Ann
666+|none|-|-|4 - Zed\r\n45 - Ann\r\n\r\n|entry 45 - Ann
666|none|prlimit --fsize=5|-|45 - Ann\r\n\r\n|File too large. These new entries were not saved: "4 - Zed"
none|644|prlimit --fsize=5|9 - Old\r\n\r\n|-|File too large. These new entries were not saved: "4 - Zed"
444|none|env XDG_DATA_HOME=/|-|45 - Ann\r\n\r\n|be made: Permission denied. These new entries were not saved
none|none|-|4 - Zed\r\n\r\n|-|ok
pipe|none|-|4 - Zed\r\n\r\n|pipe|a named pipe, not a regular file. New entries are saved to
link|none|-|4 - Zed\r\n\r\n|45 - Ann\r\n\r\n|symbolic link, not a regular file. New entries are saved to "/
none|200|-|9 - Old\r\n\r\n|-|message High Scores: Could not read the high scores from "
TABLE

# A list whose folder went while its window was open: no folder is made again, the entry is named.
mkdir "$WORK/gone" && start copy "$WORK/gone" && send copy print && mv "$WORK/gone" "$WORK/moved"
send copy win "name Bea" close && finish copy && has "$WORK/moved/High Scores.trel" -
[ ! -e "$WORK/gone" ] && grep -qF 'not saved: "4 - Bea"' "$WORK/copy.out" || fail "the folder came back"

# A player who cannot give a new file the list's owner writes it in place; another program that
# rewrites the list without its lock meanwhile (while the owner is being asked) loses nothing.
if [ "${#as[@]}" != 0 ]; then
    dir=$WORK/unlocked list=$WORK/unlocked/High\ Scores.trel
    mkdir -m 777 "$dir" && printf '45 - Ann\r\n\r\n' >"$list" && chmod 666 "$list"
    slow=(strace -D -o /dev/null -e trace=fchown -e inject=fchown:delay_exit=800000)
    ASAN_OPTIONS=${ASAN_OPTIONS:-}:detect_leaks=0 start copy "$dir" "${as[@]}" "${slow[@]}"
    send copy win "name Una" && post copy close && sleep 0.4 && printf '45 - Ann\r\n7 - Pat\r\n\r\n' >"$list"
    finish copy && has "$list" '4 - Una\r\n45 - Ann\r\n7 - Pat\r\n\r\n'
fi

# A long list the player may only write in place: a failed flush with the list in the file is no
# failure; a copy killed at any instant of its save leaves the next game the old list or the new.
dir=$WORK/long list=$WORK/long/High\ Scores.trel
printf '9 - FILL%06d\r\n' $(seq 55000) >"$WORK/fill" && printf '\r\n' >>"$WORK/fill"
mkdir "$dir" && cp "$game" "$dir/game" && cp "$WORK/fill" "$list" && chmod 666 "$list" && chmod 555 "$dir"
left="$home/data/Vantrel/.Unfinished save $(printf %x-%x $(stat -c '%d %i' "$list")).abc123"
touch "$left" # what a copy killed while it wrote its record of a change leaves; the next removes it
eio=(strace -D -o /dev/null -e trace=fdatasync,pwrite64 -e inject=fdatasync:error=EIO -e inject=pwrite64:error=EIO:when=3)
ASAN_OPTIONS=${ASAN_OPTIONS:-}:detect_leaks=0 start copy "$dir" "${as[@]}" "${eio[@]}" # no leak check when traced
send copy win "name Eio" session close && finish copy
grep -v -a 'FILL' "$list" | cmp -s - <(printf '4 - Eio\r\n\r\n') && ! grep -q 'message High' "$WORK/copy.out" ||
    fail "a failed flush: $(cat "$WORK/copy.out")"
[ ! -e "$left" ] || fail "a half-written record was left"
for i in $(seq 20); do
    start copy "$dir" "${as[@]}" && send copy "win 2" "name K$i" && post copy close && sleep 0.0$((RANDOM % 8))
    finish copy KILL
    start copy "$dir" "${as[@]}" && send copy session && finish copy TERM
    grep -vaxE $'(4 - Eio|21 - K[0-9]+)\r' "$list" | cmp -s - "$WORK/fill" || fail "torn: $(grep -av FILL "$list")"
done

# Three copies saving in a loop, two of them as root who replace the list, one as the player who
# may only write it in place: no entry is lost or doubled, and nothing else gets in.
dir=$WORK/shared
mkdir -p "$dir" && printf '\r\n' >"$dir/High Scores.trel" && chmod 666 "$dir/High Scores.trel"
start a "$dir" && start b "$dir" "${as[@]}" && start c "$dir"
for copy in a b c; do post "$copy" "wins 12 ${copy^^}"; done
for copy in a b c; do answered "$copy" 1 && finish "$copy"; done
has "$dir/High Scores.trel" "$(printf '4 - %s\\r\\n' {A,B,C}{1,10,11,12,2,3,4,5,6,7,8,9})\\r\\n"
echo "ok: a player who may not write the program's folder keeps a list of their own; three copies"

# Under a real window manager, as a player's desktop shows the game.
unset QT_QPA_PLATFORM
exec {display}<> <(:)
Xvfb -displayfd "$display" -screen 0 1024x768x24 -dpi 96 -nolisten tcp >"$WORK/xvfb.log" 2>&1 &
read -r -t 30 -u "$display" number || fail "Xvfb did not start: $(cat "$WORK/xvfb.log")"
export DISPLAY=:$number
${VANTREL_WM:-openbox} >"$WORK/wm.log" 2>&1 & # another by benchmarks/placement.sh
for _ in $(seq 400); do wmctrl -m >/dev/null 2>&1 && break || sleep 0.05; done
# window VAR TITLE | window VAR WIDTH HEIGHT: sets VAR to the id of the game's mapped window with
# that title or size; the test fails at once when none comes.
window() {
    local var=$1
    shift
    for _ in $(seq 200); do
        for id in $(xdotool search --onlyvisible --pid "$pid_copy" 2>/dev/null); do
            if [ $# = 1 ]; then [ "$(xdotool getwindowname "$id")" = "$1" ]; else
                xwininfo -id "$id" | grep -q "Width: $1\$" && xwininfo -id "$id" | grep -q "Height: $2\$"
            fi && [ "$id" != "${!var:-}" ] && { printf -v "$var" %s "$id"; return; }
        done
        sleep 0.05
    done
    fail "no window $*"
}
corner() {
    xwininfo -id "$1" | awk '/Absolute upper-left|Width:|Height:/ { printf "%s ", $NF } END { print "" }' # x y w h
}
# click ID X Y: a mouse click at X, Y of the window's client area.
click() {
    read -r x y _ < <(corner "$1")
    xdotool mousemove $((x + $2)) $((y + $3)) click 1
    sleep 0.2
}
place() { # from the bottom of the window manager's stacking order
    xprop -root _NET_CLIENT_LIST_STACKING | tr -d , | awk '{ for (i = 5; i <= NF; i++) print $i }' |
        while read -r id; do echo $((id)); done | grep -n -x "$1" | cut -d: -f1
}
alive() { kill -0 "$pid_copy" 2>/dev/null || fail "$*"; }
# centred ID: the window's frame stands in the middle of the work area, to a pixel, from the first
# look where the window manager tells the frame ahead; else the game may move it there in 1 s.
centred() {
    local tries=1 && xprop -root _NET_SUPPORTED | grep -q _NET_REQUEST_FRAME_EXTENTS || tries=20
    for _ in $(seq $tries); do
        read -r x y w h < <(corner "$1")
        read -r l r t b < <(xprop -id "$1" _NET_FRAME_EXTENTS | tr -d , | awk '{ print $3, $4, $5, $6 }')
        read -r left top width height < <(xprop -root _NET_WORKAREA | tr -d , | awk '{ print $3, $4, $5, $6 }')
        x=$((2 * (x - l - left) + w + l + r - width)) y=$((2 * (y - t - top) + h + t + b - height))
        [ "${x#-}" -le 2 ] && [ "${y#-}" -le 2 ] && return || sleep 0.05
    done
    fail "the board stands $((x / 2)),$((y / 2)) px off the middle"
}
# looks NAME...: half a second on, the screen shows these dialogs as each draws itself.
looks() {
    sleep 0.5 && send copy look && for name; do grep -qx "shown $name" <(tail -n 3 "$WORK/copy.out") || fail "$name is not seen (line ${BASH_LINENO[0]})"; done
}

# The game ends when its last window closes, and only then: closing the board leaves the list
# window that its menu opened.
game=$2 start copy "$WORK/real"
main= && window main Vantrel && centred "$main"
click "$main" 90 9
list= && window list "Vantrel High Scores!!"
wmctrl -i -c "$main" && sleep 0.4
alive "the game ended with its list window open"
wmctrl -i -c "$list" && finish copy
has "$WORK/real/High Scores.trel" '\r\n'

start copy "$WORK/desk"
main= && window main Vantrel
size=$(xwininfo -id "$main" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w, h }')
# A win on row 2 leaves the board beside the score dialog, which a click on the board must not
# bury, and which cannot be closed, minimised, moved or resized from outside.
post copy "win 2"
box= && window box "You Win!" && xdotool windowactivate --sync "$box" key Return
dialog= && window dialog 211 83 && looks ScoreAdder
xprop -id "$dialog" _MOTIF_WM_HINTS | grep -q '= 0x3, 0x0, 0x0' || fail "the dialog can be moved"
click "$main" 30 100 && looks ScoreAdder
[ "$(place "$dialog")" -gt "$(place "$main")" ] || fail "the board covers the score dialog"
xdotool windowactivate --sync "$dialog" key alt+F4 && wmctrl -i -c "$dialog" && sleep 0.4
xwininfo -id "$dialog" | grep -q IsViewable || fail "the score dialog closed from outside"
centre=$(corner "$dialog")
xdotool windowminimize "$dialog" && sleep 0.4
xwininfo -id "$dialog" | grep -q IsViewable || fail "the score dialog stayed minimised"
xdotool windowmove "$dialog" 10 10 && sleep 0.4
[ "$(corner "$dialog")" = "$centre" ] || fail "the score dialog was moved to $(corner "$dialog")"
# A new game keeps the dialog above the fresh board; closing that board with its close box
# leaves the game going with the dialog, and the entry is saved.
click "$main" 30 9
ask= && window ask 106 50 && looks NewGame && click "$ask" 29 33
board=$main && window board $size && centred "$board"
click "$board" 30 100 && looks ScoreAdder
send copy new && window board $size && centred "$board" && click "$board" 30 100 && looks ScoreAdder
[ "$(place "$dialog")" -gt "$(place "$board")" ] || fail "the new board covers the score dialog"
xprop -id "$dialog" WM_TRANSIENT_FOR | grep -q "$(printf '# 0x%x$' "$board")" || fail "not kept above"
wmctrl -i -c "$board" && sleep 0.4
alive "closing the board lost the win waiting for a name"
click "$dialog" 165 65
list= && window list "Vantrel High Scores!!" && wmctrl -i -c "$list"
finish copy
has "$WORK/desk/High Scores.trel" '21 - Player Name\r\n\r\n'
echo "ok: under a window manager the game plays, its dialogs stay until answered, and it ends with its last window"
