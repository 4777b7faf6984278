#!/usr/bin/env bash
# Installs whatever the game needs to build, run and be tested that this Debian machine lacks.
# Quick and silent when nothing is missing. Uses sudo when not run as root.
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-qpa-plugins libgl-dev libxcb1-dev
    qt6-base-private-dev
    fonts-liberation2
    xvfb openbox wmctrl xdotool x11-utils
    clang-format clang-14 libclang-rt-14-dev
    dpkg-dev file appstream desktop-file-utils groff-base lintian
    util-linux cloc strace
)
if [ "${1:-}" = --play ]; then
    packages=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-qpa-plugins libgl-dev libxcb1-dev
        fonts-liberation2)
fi

missing=()
for package in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null || true)
    [ "$status" = installed ] || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
as_root=()
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "Please install as root: ${missing[*]}" >&2; exit 1; }
    as_root=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
