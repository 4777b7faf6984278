#!/bin/bash
# Draws the Vantrel application icon: four guess pegs (yellow, red, green, blue) in a 2x2
# block on a light-grey rounded tile, in the board's own colours.
#
# Each size is drawn on its own grid: 16 px is set pixel by pixel with antialiasing off,
# because a scaled-down circle turns to mush at that size; 24 to 256 px are drawn smooth.
# The scalable SVG repeats the 48 px drawing, so every size shows the same design.
#
# Writes icons/vantrel-{16,24,32,48,64,128,256}.png, icons/vantrel.svg and icons/vantrel.ico
# beside this script, and the window icon's sizes 16 to 48 px again as raw RGBA bytes
# (icons/vantrel-{16,24,32,48}.rgba), which the game shows without decoding a PNG. Needs ImageMagick's convert. Time stamps are left out so a rerun gives
# the same bytes.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
out="$here/icons"
mkdir -p "$out"

# Board colours.
yellow='rgb(255,255,0)'
red='rgb(255,0,0)'
green='rgb(0,192,0)'
blue='rgb(0,0,255)'
tile='rgb(192,192,192)'
edge='rgb(112,112,112)'
ink='rgb(32,32,32)'

png_opts=(-strip -define 'png:exclude-chunks=date,time')

# --- 16 px -------------------------------------------------------------------------------
# Half way from each colour to the ring, for the inner corners.
declare -A shade=(
    ["$yellow"]='rgb(144,144,16)'
    ["$red"]='rgb(144,16,16)'
    ["$green"]='rgb(16,112,16)'
    ["$blue"]='rgb(16,16,144)'
)
# Lighter shade of each colour for the single highlight pixel.
declare -A shine=(
    ["$yellow"]='rgb(255,255,200)'
    ["$red"]='rgb(255,160,160)'
    ["$green"]='rgb(150,240,150)'
    ["$blue"]='rgb(150,150,255)'
)

rect() { args+=(-draw "rectangle $1,$2 $3,$4"); }

# A 6x6 peg with its top-left corner at ($1,$2): dark ring with cut corners around a 4x4 body.
peg16() {
    local x=$1 y=$2 body=$3
    args+=(-fill "$ink")
    rect $((x + 1)) "$y" $((x + 4)) "$y"
    rect $((x + 1)) $((y + 5)) $((x + 4)) $((y + 5))
    rect "$x" $((y + 1)) "$x" $((y + 4))
    rect $((x + 5)) $((y + 1)) $((x + 5)) $((y + 4))
    args+=(-fill "$body")
    rect $((x + 1)) $((y + 1)) $((x + 4)) $((y + 4))
    # Darker inner corners round the square off; the highlight sits just inside the top left.
    args+=(-fill "${shade[$body]}")
    rect $((x + 1)) $((y + 1)) $((x + 1)) $((y + 1))
    rect $((x + 4)) $((y + 1)) $((x + 4)) $((y + 1))
    rect $((x + 1)) $((y + 4)) $((x + 1)) $((y + 4))
    rect $((x + 4)) $((y + 4)) $((x + 4)) $((y + 4))
    args+=(-fill "${shine[$body]}")
    rect $((x + 2)) $((y + 2)) $((x + 2)) $((y + 2))
}

args=(-fill "$tile")
# Two overlapping rectangles leave the corner pixels clear, so the tile reads as rounded.
rect 1 0 14 15
rect 0 1 15 14
# A darker right and bottom edge lifts the tile off a light background.
args+=(-fill "$edge")
rect 1 15 14 15
rect 15 1 15 14
peg16 1 1 "$yellow"
peg16 9 1 "$red"
peg16 1 9 "$green"
peg16 9 9 "$blue"
convert -size 16x16 xc:none +antialias "${args[@]}" "${png_opts[@]}" "PNG32:$out/vantrel-16.png"

# --- 24 to 256 px ------------------------------------------------------------------------
calc() { awk "BEGIN { print $1 }"; }

# smooth SIZE CORNER EDGEWIDTH LOWCENTRE HIGHCENTRE PEGRADIUS PEGSTROKE
# Pixel centres sit on whole coordinates, so a stroke of width w centred w/2 - 0.5 in from
# the border lands exactly on the outer pixels.
smooth() {
    local n=$1 r=$2 ew=$3 lo=$4 hi=$5 pr=$6 ps=$7
    local near far
    near=$(calc "$ew / 2 - 0.5")
    far=$(calc "$n - 1 - $near")
    args=(-stroke "$edge" -strokewidth "$ew" -fill "$tile")
    args+=(-draw "roundrectangle $near,$near $far,$far $r,$r")
    args+=(-stroke "$ink" -strokewidth "$ps")
    local -a pegs=("$lo $lo $yellow" "$hi $lo $red" "$lo $hi $green" "$hi $hi $blue")
    local spec cx cy col
    for spec in "${pegs[@]}"; do
        read -r cx cy col <<<"$spec"
        args+=(-fill "$col" -draw "circle $cx,$cy $(calc "$cx + $pr"),$cy")
    done
    # A soft glint towards the top left makes them read as round pegs, not flat dots.
    args+=(-stroke none -fill 'rgba(255,255,255,0.6)')
    for spec in "${pegs[@]}"; do
        read -r cx cy col <<<"$spec"
        local g
        g=$(calc "$pr * 0.27")
        args+=(-draw "ellipse $(calc "$cx - $pr * 0.35"),$(calc "$cy - $pr * 0.35") $g,$g 0,360")
    done
    convert -size "${n}x${n}" xc:none -antialias "${args[@]}" "${png_opts[@]}" \
        "PNG32:$out/vantrel-$n.png"
}

smooth 24 4 1 6 17 3.9 1.2
smooth 32 5 1 8.5 22.5 5.4 1.5
smooth 48 7 1.5 13 34 8.4 2
smooth 64 9 2 17.5 45.5 11.2 2.5
smooth 128 18 4 35.5 91.5 22.4 5
smooth 256 36 8 71.5 183.5 44.8 10

# --- scalable ----------------------------------------------------------------------------
# The same shapes as smooth() on a 48-unit canvas. SVG puts a pixel's centre at +0.5, where
# the drawings above put it on whole numbers.
svg() {
    local n=$1 r=$2 ew=$3 lo=$4 hi=$5 pr=$6 ps=$7
    local near size
    near=$(calc "$ew / 2")
    size=$(calc "$n - $ew")
    {
        echo "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"$n\" height=\"$n\" viewBox=\"0 0 $n $n\">"
        echo "  <rect x=\"$near\" y=\"$near\" width=\"$size\" height=\"$size\" rx=\"$r\"" \
            "fill=\"$tile\" stroke=\"$edge\" stroke-width=\"$ew\"/>"
        local -a pegs=("$lo $lo $yellow" "$hi $lo $red" "$lo $hi $green" "$hi $hi $blue")
        local spec cx cy col
        for spec in "${pegs[@]}"; do
            read -r cx cy col <<<"$spec"
            echo "  <circle cx=\"$(calc "$cx + 0.5")\" cy=\"$(calc "$cy + 0.5")\" r=\"$pr\"" \
                "fill=\"$col\" stroke=\"$ink\" stroke-width=\"$ps\"/>"
        done
        for spec in "${pegs[@]}"; do
            read -r cx cy col <<<"$spec"
            echo "  <circle cx=\"$(calc "$cx + 0.5 - $pr * 0.35")\" cy=\"$(calc "$cy + 0.5 - $pr * 0.35")\"" \
                "r=\"$(calc "$pr * 0.27")\" fill=\"#ffffff\" fill-opacity=\"0.6\"/>"
        done
        echo "</svg>"
    } >"$out/vantrel.svg"
}

svg 48 7 1.5 13 34 8.4 2

for size in 16 24 32 48; do
    convert "$out/vantrel-$size.png" -depth 8 "RGBA:$out/vantrel-$size.rgba"
done

# One .ico holding exactly the three drawn sizes.
convert "$out/vantrel-16.png" "$out/vantrel-32.png" "$out/vantrel-48.png" "$out/vantrel.ico"

identify "$out/vantrel.ico"
