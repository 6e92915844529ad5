#!/bin/sh
# Builds the level loader's libFuzzer target with clang, outside the CMake build.
# Usage: fuzz/build.sh [OUTPUT_DIR]   (default: build-fuzz in the repository)
# Then run: OUTPUT_DIR/levelfuzz -max_total_time=600 OUTPUT_DIR/corpus fuzz/corpus
# (fuzz/corpus holds small levels made by levelc; fuzz/corpus.sh LEVELC remakes them).
set -eu
repo=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$repo/build-fuzz}
mkdir -p "$out/corpus"
cxx=${CXX_FUZZ:-clang++-14}
# shellcheck disable=SC2046
$cxx -std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
    -Wall -Wextra -I"$repo/src" -I"$repo/tools" \
    $(pkg-config --cflags sdl SDL_image physfs) \
    "$repo/fuzz/levelfuzz.cpp" \
    "$repo"/src/tiles/*.cpp "$repo/tools/levelformat.cpp" \
    "$repo/src/video/surface.cpp" "$repo/src/video/image.cpp" \
    "$repo/src/fs/archive.cpp" "$repo/src/fs/vfs.cpp" "$repo/src/core/log.cpp" \
    $(pkg-config --libs sdl SDL_image physfs) \
    -o "$out/levelfuzz"
echo "built $out/levelfuzz"
