#!/usr/bin/env bash
# Plays whole games by keys under the Orca screen reader and prints what Orca said, one line
# per utterance with the keys pressed before it, to check by ear what a blind player hears.
# Speech Dispatcher runs with its silent module. Run by hand (not part of the suite), after
# building the tests' scripted game:
#   bash scripts/orca-game.sh [build-test/tests/vantrel_scripted]
# Needs orca, speech-dispatcher, at-spi2-core, xdotool, openbox and Xvfb (Debian's packages).
# The scripted game's code is yellow, blue, green, red.
set -euo pipefail
game=$(realpath "${1:-build-test/tests/vantrel_scripted}")
work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

# Orca loads this from its preferences folder: every string it would speak is logged.
mkdir -p "$work/prefs" "$work/data" "$work/game"
cat >"$work/prefs/orca-customizations.py" <<EOF
import time
from orca import speech
_speak = speech._speak
def _logged(text, acss, interrupt):
    with open("$work/speech.log", "a") as log:
        log.write("%.2f %s\n" % (time.time(), text))
    _speak(text, acss, interrupt)
speech._speak = _logged
EOF
cp "$game" "$work/game/" # the list is kept beside the program: a copy in a temporary folder

number=${ORCA_GAME_DISPLAY:-51}
Xvfb ":$number" -screen 0 1024x768x24 -dpi 96 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
sleep 1
export DISPLAY=:$number XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/prefs
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_QPA_PLATFORM=xcb
key() { # keys, then a pause for Orca to speak
    echo "=== keys: $*" >>"$work/speech.log"
    xdotool key --delay 400 "$@"
    sleep 1.5
}
play() {
    openbox >/dev/null 2>&1 &
    # Speech Dispatcher with its silent module only, on a socket of this run's own.
    mkdir -p "$work/speechd/modules"
    printf 'AddModule "dummy" "sd_dummy" ""\nDefaultModule dummy\nAudioOutputMethod "libao"\n' \
        >"$work/speechd/speechd.conf"
    echo default_driver=null >"$work/.libao" # its sound goes nowhere
    export SPEECHD_ADDRESS=unix_socket:$work/speechd.sock
    HOME=$work speech-dispatcher -s -t 0 -C "$work/speechd" -S "$work/speechd.sock" -P "$work/speechd.pid" \
        -L "$work" >/dev/null 2>&1 &
    orca --replace -u "$work/prefs" ${ORCA_DEBUG:+--debug-file "$ORCA_DEBUG"} >"$work/orca.log" 2>&1 &
    sleep 4
    mkfifo "$work/input" # the game waits for commands that never come
    "$work/game/$(basename "$game")" <"$work/input" >"$work/game.log" 2>&1 &
    exec 4>"$work/input"
    sleep 4
    # Row 1: pegs by the main keys and the keypad, then "Check Colors" (focused at the start).
    key 1 KP_2 2 space
    key 4 4 space
    # Row 3: the code, yellow, blue, green, red: the win's message box, then the score dialog.
    key 1 2 2 2 2 3 3 3 4 4 space
    key Return
    key Return # "Enter Name": the list opens at the new entry; then the one entry by arrows
    key Down Up
    # The list closed by the window manager; back on the board: "New Game" from the menu, "Yes",
    # then a give-up on the fresh board.
    key alt+F4
    key alt Return
    key KP_Enter # where am I: the question with the dialog
    key Return
    key 3 Tab space
    # Orca's flat review: the lines above the focused button, the code pegs' among them.
    key KP_Home
    key KP_Home
    kill $(jobs -p) 2>/dev/null
}
export -f key play
export work game
dbus-run-session -- bash -c play >/dev/null 2>&1
cat "$work/speech.log"
