#!/usr/bin/env bash
# Draws the 18 toolbar images (16 x 16, transparent) and the program icon with ImageMagick.
# Each option has an "on" picture and an "off" picture: the off picture is the on picture in grey
# with a red slash, so the state reads at a glance. Images 11, 13 and 15 are greyed variants of
# the plain buttons. Run it from anywhere; it rewrites the PNGs next to itself.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"

draw() { # draw NAME PRIMITIVES...
    local name=$1
    shift
    convert -size 16x16 xc:none "$@" -depth 8 -define png:color-type=6 "$name.png"
}

grey_slash() { # grey_slash SOURCE TARGET
    convert "$1.png" -colorspace Gray -colorspace sRGB -fill none -stroke '#d01010' -strokewidth 2 \
        -draw 'line 2,14 14,2' -depth 8 -define png:color-type=6 "$2.png"
}

greyed() { # greyed SOURCE TARGET
    convert "$1.png" -colorspace Gray -colorspace sRGB -channel A -evaluate multiply 0.6 +channel \
        -depth 8 -define png:color-type=6 "$2.png"
}

# 0 pop-ups: a speech bubble with three dots
draw 00 -fill '#fff6c0' -stroke '#806000' -draw 'roundrectangle 1,2 14,10 3,3' \
    -draw 'polygon 4,10 4,14 8,10' -stroke none -fill '#806000' \
    -draw 'rectangle 4,6 5,7' -draw 'rectangle 7,6 8,7' -draw 'rectangle 10,6 11,7'
# 2 confirmations: a yellow sign with a question mark
draw 02 -fill '#ffd020' -stroke '#705000' -draw 'circle 8,8 8,1' -stroke '#402800' -strokewidth 2 \
    -fill none -draw 'arc 5,3 11,9 180,360' -draw 'line 11,6 8,9' -draw 'line 8,9 8,10' \
    -draw 'point 8,13' -draw 'line 8,12 8,13'
# 4 order by key: ascending bars and a down arrow
draw 04 -fill '#2060c0' -stroke none -draw 'rectangle 1,2 5,3' -draw 'rectangle 1,6 7,7' \
    -draw 'rectangle 1,10 9,11' -draw 'rectangle 1,14 11,15' -fill '#008000' \
    -draw 'rectangle 13,1 14,11' -draw 'polygon 10,10 15,10 13,15 12,15'
# 6 hints: a light bulb
draw 06 -fill '#ffe040' -stroke '#806000' -draw 'circle 8,6 8,1' -fill '#a0a0a0' -stroke '#505050' \
    -draw 'rectangle 6,11 10,14' -draw 'line 6,12 10,12'
# 8 multiple select: three selected rows
draw 08 -fill white -stroke '#404040' -draw 'rectangle 0,1 15,14' -stroke none -fill '#2050d0' \
    -draw 'rectangle 1,3 14,5' -draw 'rectangle 1,7 14,9' -draw 'rectangle 1,11 14,13'
# 9 single select: one selected row (the off state of multiple select)
draw 09 -fill white -stroke '#404040' -draw 'rectangle 0,1 15,14' -stroke none -fill '#2050d0' \
    -draw 'rectangle 1,7 14,9' -fill '#c0c0c0' -draw 'rectangle 1,3 14,5' -draw 'rectangle 1,11 14,13'
# 10 clear search mask: an eraser
draw 10 -fill '#f08080' -stroke '#802020' -draw 'polygon 1,11 8,4 14,10 7,15 4,15' \
    -fill '#f0f0f0' -draw 'polygon 8,4 11,1 15,5 14,10' -stroke '#404040' -draw 'line 0,15 15,15'
# 12 help: a blue disc with a question mark
draw 12 -fill '#2060d0' -stroke '#103070' -draw 'circle 8,8 8,0' -fill none -stroke white -strokewidth 2 \
    -draw 'arc 5,3 11,9 180,360' -draw 'line 11,6 8,9' -draw 'line 8,9 8,10' -draw 'line 8,12 8,13'
# 14 about: a blue disc with an i
draw 14 -fill '#2080f0' -stroke '#103070' -draw 'circle 8,8 8,0' -stroke none -fill white \
    -draw 'rectangle 7,3 8,4' -draw 'rectangle 7,6 8,12' -draw 'rectangle 6,12 9,12'
# 16 word wrap: lines with a return arrow
draw 16 -stroke '#303030' -draw 'line 1,2 14,2' -draw 'line 1,5 12,5' -draw 'line 1,13 7,13' \
    -fill none -stroke '#0070d0' -draw 'arc 8,5 15,11 270,90' -draw 'line 11,11 4,11' \
    -draw 'line 4,11 6,9' -draw 'line 4,11 6,13'

grey_slash 00 01
grey_slash 02 03
grey_slash 04 05
grey_slash 06 07
greyed 10 11
greyed 12 13
greyed 14 15
grey_slash 16 17

# The program icon: a CD with a catalogue card, 48 x 48.
convert -size 48x48 xc:none -fill '#d8dce8' -stroke '#505870' -strokewidth 2 -draw 'circle 20,24 20,4' \
    -fill '#a8b8e0' -stroke none -draw 'circle 20,24 20,12' -fill none -stroke '#ffffff' \
    -draw 'arc 6,10 34,38 200,250' -fill '#505870' -stroke none -draw 'circle 20,24 20,21' \
    -fill '#fff6c0' -stroke '#806000' -strokewidth 2 -draw 'rectangle 27,20 45,44' \
    -stroke '#806000' -strokewidth 1 -draw 'line 30,26 42,26' -draw 'line 30,31 42,31' \
    -draw 'line 30,36 39,36' -depth 8 -define png:color-type=6 ../quillmere.png
