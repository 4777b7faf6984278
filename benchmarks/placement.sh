#!/usr/bin/env bash
# What a player sees under each window manager on Xvfb: the desktop part of tests/realgame.sh
# (every board centred to a pixel, the dialogs drawn and in front of the boards, closes from
# outside refused) run under each of openbox, mutter, kwin_x11, xfwm4, metacity and marco that
# is installed, or those given, each with a session bus of its own. Prints, for each, the last
# line realgame.sh printed: the part that passed last, or the first failure. Needs the suite's
# build (vantrel_scripted and vantrel) and what realgame.sh needs.
#   benchmarks/placement.sh BUILD_DIR [WINDOW-MANAGER...]
set -uo pipefail
build=${1:?usage: benchmarks/placement.sh BUILD_DIR [WINDOW-MANAGER...]}
shift
managers=("$@")
[ $# -gt 0 ] || managers=(openbox mutter kwin_x11 xfwm4 metacity marco)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
config=$(mktemp -d)
trap 'rm -rf "$config"' EXIT
for manager in "${managers[@]}"; do
    command -v "$manager" >/dev/null || { echo "$manager: not installed"; continue; }
    case $manager in
    mutter) command=(mutter --x11 --replace) ;;
    xfwm4) command=(xfwm4 --replace --compositor=off) ;;
    *) command=("$manager" --replace) ;;
    esac
    # Settings of a fresh account, so that the desktop's own settings do not change the outcome.
    rm -rf "${config:?}"/* && result=$(XDG_CONFIG_HOME=$config VANTREL_WM="${command[*]}" \
        dbus-run-session -- bash "$(dirname "$0")/../tests/realgame.sh" "$build/tests/vantrel_scripted" \
        "$build/app/vantrel" "$version" 2>&1 | grep -E '^(ok|FAIL)' | tail -n 1)
    echo "$manager: ${result:-no answer}"
done
