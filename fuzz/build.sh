#!/bin/sh
# Builds libFuzzer targets with clang, outside the CMake build: fuzz/NAME.cpp becomes
# OUTPUT_DIR/NAME, seeded from fuzz/corpus/NAME.
# Usage: fuzz/build.sh OUTPUT_DIR NAME...
# Then run: OUTPUT_DIR/NAME -max_total_time=600 OUTPUT_DIR/corpus/NAME fuzz/corpus/NAME
# (fuzz/corpus/level holds small levels made by levelc; fuzz/corpus.sh LEVELC remakes them).
set -eu
repo=$(cd "$(dirname "$0")/.." && pwd)
out=$1
shift
cxx=${CXX_FUZZ:-clang++-14}
for name in "$@"; do
    # What each target links besides its own file.
    case $name in
    level)
        packages="sdl SDL_image physfs"
        sources="$repo/src/tiles/*.cpp $repo/tools/levelformat.cpp $repo/src/video/surface.cpp
            $repo/src/video/image.cpp $repo/src/fs/archive.cpp $repo/src/fs/vfs.cpp $repo/src/core/log.cpp" ;;
    replay)
        packages=""
        sources="$repo/src/core/replayfile.cpp" ;;
    *)
        echo "fuzz/build.sh: no target $name" >&2
        exit 1 ;;
    esac
    mkdir -p "$out/corpus/$name"
    # shellcheck disable=SC2046,SC2086
    $cxx -std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
        -Wall -Wextra -I"$repo/src" -I"$repo/tools" \
        $([ -z "$packages" ] || pkg-config --cflags $packages) \
        "$repo/fuzz/$name.cpp" $sources \
        $([ -z "$packages" ] || pkg-config --libs $packages) \
        -o "$out/$name"
    echo "built $out/$name"
done
