#!/bin/sh
# Builds and runs the generator's own checks with the host compiler.
set -eu
root=$(cd "$(dirname "$0")/../../.." && pwd)
src="$root/tools/sound"
out="$root/build/sound"
mkdir -p "$out"
${CXX:-g++} -std=c++17 -O2 -Wall -Wextra -Wshadow -I"$src" -o "$out/test-generator" \
  "$root/tests/tools/sound/test_generator.cpp" \
  "$src"/dsp.cpp "$src"/master.cpp "$src"/id3.cpp
"$out/test-generator"
