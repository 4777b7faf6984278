#!/usr/bin/env bash
# Builds the Debian package from a Release build in build-pkg/, builds it again from a copy of the
# sources in another folder, and checks that both are the same bytes and what the package holds:
# the files, the Depends field, the AppStream data, the desktop entry, the man page, what Debian's
# package checker says, and that the packed executable starts. Prints one line per check and
# exits non-zero if any fails.
set -euo pipefail
cd "$(dirname "$0")/.."

for tool in dpkg-deb dpkg-shlibdeps appstreamcli desktop-file-validate groff file lintian; do
    command -v "$tool" >/dev/null || { echo "check-package: $tool is missing; run scripts/setup.sh" >&2; exit 1; }
done

version=$(sed -n 's/^project(Vantrel VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
id=$(sed -n 's/^set(VANTREL_APP_ID \(.*\))$/\1/p' CMakeLists.txt)
[ -n "$version" ] && [ -n "$id" ] || { echo "check-package: no version or id in CMakeLists.txt" >&2; exit 1; }

work=$(mktemp -d)
chmod 755 "$work" # lintian reads the package as nobody when this runs as root
trap 'rm -rf "$work"' EXIT
arch=$(dpkg --print-architecture)

# pack SOURCE BUILD: a Release build of SOURCE in the folder BUILD, packed there.
pack() {
    cmake -S "$1" -B "$2" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
        -DVANTREL_PLAYER_LISTS=ON >/dev/null
    cmake --build "$2" -j "$(nproc)" >/dev/null
    rm -f "$2"/vantrel_*.deb
    (cd "$2" && cpack -G DEB >cpack.log 2>&1) || { cat "$2/cpack.log" >&2; exit 1; }
    [ -f "$2/vantrel_${version}_$arch.deb" ] || { echo "check-package: cpack wrote no package in $2" >&2; exit 1; }
}

build=build-pkg
pack . "$build"
deb="$build/vantrel_${version}_$arch.deb"
echo "package: $deb, $(stat -c %s "$deb") bytes"

# The same sources copied to another folder, with new file times, and built there a little later,
# must give the same bytes. The copy has no git history: it is told the last commit's time, as a
# package build is, which this clone's build took from git itself.
mkdir "$work/source"
tar -c --exclude='./build*' --exclude=./.git --exclude=./.cache --exclude=./fuzz-corpus . |
    tar -x --touch -C "$work/source"
SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || true)} \
    pack "$work/source" "$work/build"
again="$work/build/vantrel_${version}_$arch.deb"
dpkg-deb -x "$deb" "$work/root"
root=$work/root

failed=0
# check NAME COMMAND...: runs the command with its output kept aside, and prints one line.
check() {
    local name=$1
    shift
    if "$@" >"$work/out" 2>&1; then
        echo "ok: $name"
    else
        echo "FAIL: $name"
        sed 's/^/    /' "$work/out"
        failed=$((failed + 1))
    fi
}

# silent COMMAND...: fails when the command fails or prints anything, as a warning would.
silent() {
    local out
    out=$("$@" 2>&1) || { echo "$out"; return 1; }
    [ -z "$out" ] || { echo "$out"; return 1; }
}

holds_files() {
    local listing missing=0
    listing=$(dpkg-deb -c "$deb" | awk '{ print $6 }')
    local -a expected=(
        ./usr/games/vantrel
        "./usr/share/applications/$id.desktop"
        "./usr/share/metainfo/$id.metainfo.xml"
        "./usr/share/icons/hicolor/scalable/apps/$id.svg"
        ./usr/share/man/man6/vantrel.6.gz
        ./usr/share/doc/vantrel/copyright
        ./usr/share/doc/vantrel/changelog.gz
    )
    for size in 16 24 32 48 64 128 256; do
        expected+=("./usr/share/icons/hicolor/${size}x$size/apps/$id.png")
    done
    for path in "${expected[@]}"; do
        grep -qxF -- "$path" <<<"$listing" || { echo "missing $path"; missing=1; }
    done
    return "$missing"
}

depends_on_qt() {
    local depends
    depends=$(dpkg-deb -f "$deb" Depends)
    echo "Depends: $depends"
    grep -q 'libqt6widgets6' <<<"$depends"
}

# Debian's package checker, pedantic and with its informational tags, must have nothing to say.
# It warns when run as root, so root runs it as the user nobody, on a copy that user can read,
# from a folder that user may enter (root's own home folder is closed to others).
lintian_is_silent() {
    local as=()
    cp "$deb" "$work/" && chmod 644 "$work/${deb##*/}"
    if [ "$(id -u)" = 0 ]; then
        as=(setpriv --reuid=nobody --regid=nogroup --clear-groups -- env HOME=/nonexistent)
    fi
    (cd "$work" && silent "${as[@]}" lintian --pedantic --display-info --display-experimental "${deb##*/}")
}

# On a difference the second package is kept beside the first, for diffoscope to explain.
same_bytes() {
    cmp "$deb" "$again" || { cp "$again" "$build/rebuilt.deb"; echo "diffoscope $deb $build/rebuilt.deb"; return 1; }
}

starts_and_answers_version() {
    local answer
    answer=$(QT_QPA_PLATFORM=offscreen timeout 10 "$root/usr/games/vantrel" --version)
    echo "answered: $answer"
    [ "$answer" = "Vantrel $version" ]
}

# Started with no options the game opens its window and keeps running until it is closed.
runs_a_game() {
    local status=0
    QT_QPA_PLATFORM=offscreen timeout 3 "$root/usr/games/vantrel" || status=$?
    echo "exit status $status, expected 124 from the timeout"
    [ "$status" = 124 ]
}

check "a second build in another folder gives the same bytes" same_bytes
check "the package holds the executable, desktop entry, AppStream data, icons and man page" holds_files
check "the package depends on the Qt widget library" depends_on_qt
check "the AppStream data validates" \
    appstreamcli validate --no-net --strict "$root/usr/share/metainfo/$id.metainfo.xml"
check "the desktop entry validates" \
    silent desktop-file-validate "$root/usr/share/applications/$id.desktop"
check "the man page formats without warnings" \
    silent bash -c 'zcat "$1" | groff -man -ww -z' _ "$root/usr/share/man/man6/vantrel.6.gz"
check "the changelog starts with this version" \
    bash -c 'zcat "$1" | head -n 1 | grep -F "vantrel ($2)"' _ "$root/usr/share/doc/vantrel/changelog.gz" "$version"
check "lintian --pedantic has nothing to say" lintian_is_silent
check "the packed executable answers --version with $version" starts_and_answers_version
check "the packed executable runs a game" runs_a_game

if [ "$failed" != 0 ]; then
    echo "check-package: $failed check(s) FAILED"
    exit 1
fi
echo "check-package: all checks passed"
