#!/bin/sh
# Builds libFuzzer targets with clang, outside the CMake build: fuzz/NAME.cpp becomes
# OUTPUT_DIR/NAME, run on the seeds in fuzz/corpus/NAME.
# Usage: fuzz/build.sh OUTPUT_DIR [NAME...]   (default: every fuzz/*.cpp)
# Then run: OUTPUT_DIR/NAME -max_total_time=600 OUTPUT_DIR/corpus/NAME fuzz/corpus/NAME
# (fuzz/corpus/level holds small levels made by levelc; fuzz/corpus.sh LEVELC remakes them).
set -eu
repo=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$repo/build-fuzz}
[ $# -gt 0 ] && shift
targets=${*:-$(for f in "$repo"/fuzz/*.cpp; do basename "$f" .cpp; done)}
cxx=${CXX_FUZZ:-clang++-14}
for target in $targets; do
    avx2=""
    case $target in
    level)
        sources="$repo/src/tiles/*.cpp $repo/tools/levelformat.cpp $repo/src/video/surface.cpp
            $repo/src/video/image.cpp $repo/src/fs/archive.cpp $repo/src/fs/vfs.cpp
            $repo/src/core/log.cpp"
        packages="sdl SDL_image physfs" ;;
    tiled)
        sources="$repo/tools/tiledread.cpp $repo/tools/tiledlevel.cpp $repo/tools/tiledwrite.cpp
            $repo/tools/output.cpp $repo/tools/levelformat.cpp $repo/src/tiles/levelfile.cpp
            $repo/src/video/pngfile.cpp"
        packages="pugixml zlib libpng" ;;
    config)
        sources="$repo/src/core/cfgfile.cpp $repo/src/core/log.cpp $repo/src/core/exception.cpp"
        packages="sdl libconfuse" ;;
    scene)
        sources="$repo/tools/scenefile.cpp $repo/src/render3d/polygon.cpp
            $repo/src/render3d/scanline.cpp $repo/src/render3d/renderpath.cpp
            $repo/src/render3d/rows.cpp $repo/src/render3d/rows_sse2.cpp
            $repo/src/video/surface.cpp $repo/src/video/pngfile.cpp $repo/src/core/log.cpp
            $repo/src/core/exception.cpp"
        avx2="$repo/src/render3d/rows_avx2.cpp"
        packages="sdl libpng" ;;
    archive)
        sources="$repo/src/fs/archive.cpp $repo/src/fs/vfs.cpp $repo/src/core/log.cpp"
        packages="sdl physfs" ;;
    image)
        sources="$repo/src/video/image.cpp $repo/src/video/font.cpp $repo/src/video/surface.cpp
            $repo/src/fs/archive.cpp $repo/src/fs/vfs.cpp $repo/src/core/log.cpp"
        packages="sdl SDL_image physfs" ;;
    replay)
        sources="$repo/src/core/replayfile.cpp"
        packages="" ;;
    *)
        echo "fuzz/build.sh: no target '$target'" >&2
        exit 1 ;;
    esac
    mkdir -p "$out/corpus/$target"
    flags="-std=c++17 -g -O1 -fsanitize=fuzzer-no-link,address,undefined
        -fno-sanitize-recover=undefined -Wall -Wextra -I$repo/src -I$repo/tools"
    # The vector row drawers are built for their instruction set alone, as in the CMake build.
    for file in $avx2; do
        # shellcheck disable=SC2086
        $cxx $flags -mavx2 -c "$file" -o "$out/$(basename "$file" .cpp).o"
        sources="$sources $out/$(basename "$file" .cpp).o"
    done
    # shellcheck disable=SC2046,SC2086
    $cxx $flags -fsanitize=fuzzer \
        $([ -z "$packages" ] || pkg-config --cflags $packages) "$repo/fuzz/$target.cpp" $sources \
        $([ -z "$packages" ] || pkg-config --libs $packages) -o "$out/$target"
    echo "built $out/$target"
done
