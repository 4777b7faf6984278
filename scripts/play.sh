#!/usr/bin/env bash
# Installs what is missing, builds the game and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}${QT_QPA_PLATFORM:-}" ]; then
    echo "play: the game opens a window and needs a desktop session; this one has none" \
        "(neither DISPLAY nor WAYLAND_DISPLAY is set)." >&2
    exit 1
fi
bash scripts/setup.sh --play
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build build --target vantrel
exec build/app/vantrel
