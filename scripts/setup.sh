#!/usr/bin/env bash
# Installs the Debian packages the engine, its data pipeline and its tests need, when any is
# missing. Runs apt-get as root or through sudo; otherwise prints the command and fails.
set -euo pipefail

packages=(
    # The SDL 1.2 API on SDL2; named in the same line as the image, mixer and gfx packages so
    # apt does not pull in the classic libsdl1.2-dev, which conflicts with it.
    libsdl1.2-compat-dev libsdl-image1.2-dev libsdl-mixer1.2-dev libsdl-gfx1.2-dev
    libphysfs-dev libconfuse-dev zlib1g-dev libpng-dev libgif-dev
    # The level tools read Tiled maps; their tests run Tiled itself.
    libpugixml-dev nlohmann-json3-dev tiled
    # Build and test tools.
    g++ cmake make pkg-config libgtest-dev clang-format
    python3 python3-pil
    xvfb xdotool x11-apps x11-utils
    # A General MIDI sound font for the music.
    timgm6mb-soundfont
)
# make fuzz also needs clang with its libFuzzer runtime; make bench, Allegro 4 as the peer;
# make docs, Doxygen; make package and test-package, CPack's helpers for Debian packages and
# lintian to check them.
if [ "${1:-}" = "--fuzz" ]; then
    packages+=(clang-14 libclang-rt-14-dev)
elif [ "${1:-}" = "--bench" ]; then
    packages+=(liballegro4-dev)
elif [ "${1:-}" = "--docs" ]; then
    packages+=(doxygen)
elif [ "${1:-}" = "--package" ]; then
    packages+=(dpkg-dev file lintian)
fi

missing=()
for package in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    if [ "$status" != "install ok installed" ]; then
        missing+=("$package")
    fi
done

if [ ${#missing[@]} -gt 0 ]; then
    install=(apt-get install -y --no-install-recommends "${packages[@]}")
    if [ "$(id -u)" -eq 0 ]; then
        sudo=()
    elif command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then
        sudo=(sudo)
    else
        echo "setup: missing packages: ${missing[*]}" >&2
        echo "setup: run as root: apt-get update && ${install[*]}" >&2
        exit 1
    fi
    echo "setup: installing ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    "${sudo[@]}" apt-get update
    "${sudo[@]}" "${install[@]}"
fi

status=$(dpkg-query -W -f='${Status}' libsdl1.2-compat-shim 2>/dev/null || true)
if [ "$status" != "install ok installed" ]; then
    echo "setup: libsdl1.2-compat-shim is not installed; the classic SDL 1.2 would be used" >&2
    exit 1
fi
