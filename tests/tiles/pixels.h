// 32-bit targets with a known layout (0xRRGGBB) for drawing tests, and pixel read-back.
#pragma once

#include "video/surface.h"

#include <cstdint>

inline void makeTarget(Surface& target, int width, int height)
{
    SurfaceFormat format;
    format.width = static_cast<uint32_t>(width);
    format.height = static_cast<uint32_t>(height);
    format.bitsPerPixel = 32;
    format.rMask = 0xFF0000;
    format.gMask = 0xFF00;
    format.bMask = 0xFF;
    target.create(format);
}

// The pixel as 0xRRGGBB, whatever the surface's depth (loaded BMPs are 24-bit).
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
