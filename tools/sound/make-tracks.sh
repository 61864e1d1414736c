#!/bin/sh
# Rebuilds the six nature tracks in assets/tracks/ from the generator's
# fixed seeds: builds tools/sound with the host compiler, renders each scene
# to WAV, encodes it with LAME (constant bit rate, no tag, Info frame kept)
# and prepends the generator's ID3v2.3 tag. The output is byte-identical
# from run to run.
#
#   tools/sound/make-tracks.sh        all six
#   tools/sound/make-tracks.sh 3 5    only channels 3 and 5
set -eu

root=$(cd "$(dirname "$0")/../.." && pwd)
build="$root/build/sound"
out="$root/assets/tracks"
mkdir -p "$build" "$out"

command -v lame >/dev/null || { echo "make-tracks: lame is not installed" >&2; exit 1; }

src="$root/tools/sound"
${CXX:-g++} -std=c++17 -O2 -Wall -Wextra -Wshadow -o "$build/sound-gen" \
  "$src"/dsp.cpp "$src"/master.cpp "$src"/mix.cpp "$src"/wav.cpp "$src"/id3.cpp \
  "$src"/scene.cpp "$src"/voices.cpp "$src"/scene_*.cpp "$src"/main.cpp
gen="$build/sound-gen"

channels=${*:-$("$gen" list | cut -d' ' -f1)}
for n in $channels; do
  file=$("$gen" list | awk -v n="$n" '$1 == n { print $2 }')
  [ -n "$file" ] || { echo "make-tracks: no channel $n" >&2; exit 1; }
  stem=${file%.mp3}
  echo "make-tracks: $file"
  "$gen" render "$n" "$build/$stem.wav"
  # A file, not a pipe: LAME seeks back to fill in the Info frame.
  # shellcheck disable=SC2046
  lame --quiet $("$gen" lame-options "$n") "$build/$stem.wav" "$build/$stem.mp3"
  "$gen" tag "$n" "$build/$stem.mp3" "$out/$file"
done
