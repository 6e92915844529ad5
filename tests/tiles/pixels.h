// Pixels read back as 0xRRGGBB whatever the surface's depth (loaded BMPs are 24-bit), and
// images written as BMP (the loader goes by content, not name).
#pragma once

#include "tarvo/video/surface.h"

#include <cstdint>
#include <string>

namespace tarvo
{

// One colour, with pixel (0, 0) in corner when corner >= 0.
inline void writeImage(const std::string& path, int w, int h, uint32_t rgb, int64_t corner = -1)
{
    SDL_Surface* image = SDL_CreateRGBSurface(0, w, h, 32, 0xFF0000, 0xFF00, 0xFF, 0);
    SDL_FillRect(image, nullptr, rgb);
    SDL_Rect first = {0, 0, 1, 1};
    SDL_FillRect(image, &first, corner >= 0 ? static_cast<uint32_t>(corner) : rgb);
    SDL_SaveBMP(image, path.c_str());
    SDL_FreeSurface(image);
}

inline uint32_t pixelAt(const Surface& surface, int x, int y)
{
    const SDL_Surface* raw = surface.getSdlSurface();
    const int bytes = raw->format->BytesPerPixel;
    const auto* at = static_cast<const uint8_t*>(raw->pixels) + y * raw->pitch + x * bytes;
    uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) {
        value = value << 8 | at[i]; // little-endian
    }
    Uint8 r = 0, g = 0, b = 0;
    SDL_GetRGB(value, raw->format, &r, &g, &b);
    return static_cast<uint32_t>(r) << 16 | static_cast<uint32_t>(g) << 8 | b;
}

} // namespace tarvo
