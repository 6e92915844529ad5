// Pixels read back as 0xRRGGBB whatever the surface's depth (loaded BMPs are 24-bit).
#pragma once

#include "video/surface.h"

#include <cstdint>

inline uint32_t pixelAt(const Surface& surface, int x, int y)
{
    const SDL_Surface* raw = surface.getSdlSurface();
    const int bytes = raw->format->BytesPerPixel;
    const auto* at = static_cast<const uint8_t*>(raw->pixels) + y * raw->pitch + x * bytes;
    uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) {
        value = value << 8 | at[i]; // little-endian
    }
    Uint8 r = 0;
    Uint8 g = 0;
    Uint8 b = 0;
    SDL_GetRGB(value, raw->format, &r, &g, &b);
    return static_cast<uint32_t>(r) << 16 | static_cast<uint32_t>(g) << 8 | b;
}
