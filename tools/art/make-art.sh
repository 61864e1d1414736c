#!/bin/sh
# Rebuilds every art file the executable carries into assets/art/, then writes
# the review pictures build/art-preview.png and build/art-strips.png.
# Needs python3, rsvg-convert (librsvg2-bin) and ImageMagick's convert.
set -eu

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
assets="$root/assets/art"
build="$root/build"
work="$build/art"
mkdir -p "$assets" "$work"

python3 "$here/make_rings.py" "$assets"
python3 "$here/make_skins.py" "$assets"

# Background: SVG -> PNG -> baseline JPEG. -strip drops every metadata chunk the
# encoders would add (dates, profiles, comments); -interlace none keeps the
# JPEG baseline; no chroma subsampling (thin aurora rays and small red petals) at
# quality 92 keeps it under 100 KB, and the picture at 2x under 300 KB.
# The same drawing at twice the size serves displays at 200 %, and, shrunk by
# the program, every scale between.
python3 "$here/make_background.py" "$work/background.svg"
for size in "770 445 background" "1540 890 background_2x"; do
    set -- $size
    rsvg-convert --width "$1" --height "$2" --format png "$work/background.svg" > "$work/$3.png"
    convert "$work/$3.png" -strip -alpha off -colorspace sRGB -type TrueColor \
        -interlace none -sampling-factor 1x1,1x1,1x1 -quality 92 "jpeg:$assets/$3.jpg"
done

# The icon: every size drawn for its size, rendered with rsvg-convert.
python3 "$here/make_icon.py" "$assets/heyu.ico"

python3 "$here/make_preview.py" "$assets" "$work/preview.svg" "$build/art-strips.png"
rsvg-convert --format png "$work/preview.svg" > "$build/art-preview.png"

echo "art: assets in $assets, preview in $build/art-preview.png"
