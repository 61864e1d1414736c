#!/bin/sh
# Plain stand-in pictures with the sizes and formats of the real artwork, so
# the window can be built and tested before the artwork arrives. Deterministic:
# flat colours and gradients only.
set -eu
out="$(dirname "$0")/../../assets/standin"
mkdir -p "$out"
cd "$out"
convert -size 770x445 gradient:'#1a2a4a-#3a5a3a' -interlace none -quality 90 background.jpg
# Bars: a 13-row strip whose top and bottom 3 rows are transparent.
for pair in "bar_light #f0e6c0" "bar_dark #6b7a2a"; do
    set -- $pair
    convert -size 60x13 xc:black -fill "$2" -draw "rectangle 0,3 59,9" -type truecolor BMP3:"$1.bmp"
    convert -size 60x13 xc:white -fill black -draw "rectangle 0,3 59,9" -type bilevel BMP3:"$1_mask.bmp"
done
# Arrows: 8 images 15x13, left arrows then right arrows; normal, hot, pressed, disabled.
convert -size 120x13 xc:black \
    -fill '#3a7a3a' -draw "polygon 2,6 12,1 12,11" -fill '#5aaa5a' -draw "polygon 17,6 27,1 27,11" \
    -fill '#1a4a1a' -draw "polygon 32,6 42,1 42,11" -fill '#7a7a7a' -draw "polygon 47,6 57,1 57,11" \
    -fill '#3a7a3a' -draw "polygon 72,6 62,1 62,11" -fill '#5aaa5a' -draw "polygon 87,6 77,1 77,11" \
    -fill '#1a4a1a' -draw "polygon 102,6 92,1 92,11" -fill '#7a7a7a' -draw "polygon 117,6 107,1 107,11" \
    -type truecolor BMP3:arrows.bmp
convert arrows.bmp -threshold 0 -negate -type bilevel BMP3:arrows_mask.bmp
# Thumb: 16 images 10x13, index = look * 4 + piece (left end, middle, grip, right end).
args=""
for look in 0 1 2 3; do
    case $look in 0) c='#2a6a2a';; 1) c='#4a9a4a';; 2) c='#1a3a1a';; 3) c='#6a6a6a';; esac
    x=$((look * 40))
    args="$args -fill '$c' -draw 'rectangle $((x + 1)),0 $((x + 9)),12'"
    args="$args -draw 'rectangle $((x + 10)),0 $((x + 19)),12'"
    args="$args -fill '#d0e0d0' -draw 'rectangle $((x + 24)),3 $((x + 25)),9'"
    args="$args -fill '$c' -draw 'rectangle $((x + 30)),0 $((x + 38)),12'"
done
eval convert -size 160x13 xc:black $args -type truecolor BMP3:thumb.bmp
convert thumb.bmp -threshold 0 -negate -type bilevel BMP3:thumb_mask.bmp
