#!/bin/sh
# Builds (when a source changed) and runs the generator's own checks with the
# host compiler, and the headroom check of the committed tracks' default mix
# (which decodes them with ffmpeg).
set -eu
root=$(cd "$(dirname "$0")/../../.." && pwd)
src="$root/tools/sound"
out="$root/build/sound"
binary="$out/test-generator"
sources="$root/tests/tools/sound/test_generator.cpp $src/dsp.cpp $src/master.cpp $src/mix.cpp $src/id3.cpp"
mkdir -p "$out"
stale=0
[ -x "$binary" ] || stale=1
for file in $sources "$src"/*.h; do
    [ "$file" -nt "$binary" ] && stale=1
done
if [ "$stale" = 1 ]; then
    # shellcheck disable=SC2086
    ${CXX:-g++} -std=c++17 -O2 -Wall -Wextra -Wshadow -I"$src" -o "$binary" $sources
fi
"$binary" "$root/assets/tracks"
