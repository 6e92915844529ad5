// Surface: thin pass-through calls to SDL guarded by one emptiness test, the ownership rule,
// and the ripple blit used by the title screen.
#include "tarvo/video/surface.h"

#include "tarvo/core/log.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>

namespace tarvo
{

Surface* gScreen = nullptr;

SurfaceFormat argbFormat(int width, int height, uint32_t alphaMask)
{
    SurfaceFormat format;
    format.width = static_cast<uint32_t>(width);
    format.height = static_cast<uint32_t>(height);
    format.bitsPerPixel = 32;
    format.rMask = 0x00FF0000;
    format.gMask = 0x0000FF00;
    format.bMask = 0x000000FF;
    format.aMask = alphaMask;
    return format;
}

Surface::~Surface()
{
    if (sdlSurface && owned) {
        SDL_FreeSurface(sdlSurface);
    }
    sdlSurface = nullptr;
}

void Surface::release()
{
    if (sdlSurface) {
        SDL_FreeSurface(sdlSurface);
        sdlSurface = nullptr;
        owned = false;
    }
}

void Surface::adopt(SDL_Surface* surface)
{
    release();
    sdlSurface = surface;
    owned = true;
}

bool Surface::setVideoMode(int width, int height, int bitsPerPixel, uint32_t flags)
{
    if (SDL_VideoModeOK(width, height, bitsPerPixel, flags) == 0) {
        return false;
    }
    sdlSurface = SDL_SetVideoMode(width, height, bitsPerPixel, flags);
    return sdlSurface != nullptr;
}

void Surface::flip()
{
    if (sdlSurface) {
        SDL_Flip(sdlSurface);
    }
}

void Surface::saveBmp(const char* path)
{
    if (!sdlSurface) {
        return;
    }
    // SDL_SaveBMP_RW does not accept a null stream, so an unwritable path is skipped here.
    SDL_RWops* stream = SDL_RWFromFile(path, "wb");
    if (stream) {
        SDL_SaveBMP_RW(sdlSurface, stream, 1);
    }
}

void Surface::readRgb(std::vector<uint8_t>& rgb) const
{
    rgb.clear();
    if (!sdlSurface || sdlSurface->format->BytesPerPixel != 4 || SDL_LockSurface(sdlSurface)) {
        return;
    }
    const SDL_PixelFormat& format = *sdlSurface->format;
    rgb.resize(static_cast<size_t>(sdlSurface->w) * static_cast<size_t>(sdlSurface->h) * 3);
    uint8_t* out = rgb.data();
    for (int y = 0; y < sdlSurface->h; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(
            static_cast<const uint8_t*>(sdlSurface->pixels) + y * sdlSurface->pitch);
        for (int x = 0; x < sdlSurface->w; ++x, out += 3) {
            // What SDL_GetRGB does for 8-bit channels, without a call per pixel.
            out[0] = static_cast<uint8_t>((row[x] & format.Rmask) >> format.Rshift << format.Rloss);
            out[1] = static_cast<uint8_t>((row[x] & format.Gmask) >> format.Gshift << format.Gloss);
            out[2] = static_cast<uint8_t>((row[x] & format.Bmask) >> format.Bshift << format.Bloss);
        }
    }
    SDL_UnlockSurface(sdlSurface);
}

void Surface::create(const SurfaceFormat& format)
{
    SDL_Surface* surface =
        SDL_CreateRGBSurface(format.flags, static_cast<int>(format.width),
                             static_cast<int>(format.height), static_cast<int>(format.bitsPerPixel),
                             format.rMask, format.gMask, format.bMask, format.aMask);
    if (!surface) {
        gLog->print("Warning: SDL_CreateRGBSurface failed.");
        return;
    }
    adopt(surface);
}

SurfaceFormat Surface::getSurfaceFormat() const
{
    SurfaceFormat format;
    if (!sdlSurface) {
        gLog->print("Warning: Can't get SurfaceFormat for NULL surface.");
        return format;
    }
    const SDL_PixelFormat* pixels = sdlSurface->format;
    format.flags = sdlSurface->flags;
    format.width = static_cast<uint32_t>(sdlSurface->w);
    format.height = static_cast<uint32_t>(sdlSurface->h);
    format.pitch = sdlSurface->pitch;
    format.bitsPerPixel = pixels->BitsPerPixel;
    format.bytesPerPixel = pixels->BytesPerPixel;
    format.rMask = pixels->Rmask;
    format.gMask = pixels->Gmask;
    format.bMask = pixels->Bmask;
    format.aMask = pixels->Amask;
    return format;
}

SDL_PixelFormat* Surface::getPixelFormat() const
{
    return sdlSurface ? sdlSurface->format : nullptr;
}

int Surface::getWidth() const
{
    return sdlSurface ? sdlSurface->w : 0;
}

int Surface::getHeight() const
{
    return sdlSurface ? sdlSurface->h : 0;
}

bool Surface::lock()
{
    return sdlSurface && SDL_LockSurface(sdlSurface) == 0;
}

void Surface::unlock()
{
    if (sdlSurface) {
        SDL_UnlockSurface(sdlSurface);
    }
}

void Surface::setColorKey(uint32_t flags, uint32_t key)
{
    if (sdlSurface) {
        SDL_SetColorKey(sdlSurface, flags, key);
    }
}

void Surface::setAlpha(uint32_t flags, uint8_t alpha)
{
    if (sdlSurface) {
        SDL_SetAlpha(sdlSurface, flags, alpha);
    }
}

void Surface::clear()
{
    if (!sdlSurface) {
        return;
    }
    // SDL's fill streams past the cache, so whatever is drawn next reads the surface back from
    // memory; a plain fill of 32-bit rows leaves it cached. Both fill the clip rectangle.
    SDL_Surface* s = sdlSurface;
    if (s->format->BitsPerPixel != 32 || SDL_MUSTLOCK(s)) {
        SDL_FillRect(s, nullptr, clearColor);
        return;
    }
    const SDL_Rect& clip = s->clip_rect;
    const bool bytesAlike = clearColor == (clearColor & 0xFFu) * 0x01010101u; // black, above all
    // Whole rows without padding are one run: one long fill is much faster than a short one
    // per row.
    const bool oneRun = clip.x == 0 && clip.w == s->w && s->pitch == s->w * 4;
    const int runs = oneRun ? 1 : clip.h;
    const size_t pixels = static_cast<size_t>(clip.w) * static_cast<size_t>(oneRun ? clip.h : 1);
    for (int y = clip.y; y < clip.y + runs; ++y) {
        uint32_t* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(s->pixels) +
                                                    static_cast<ptrdiff_t>(y) * s->pitch) +
                        clip.x;
        if (bytesAlike) {
            std::memset(row, static_cast<int>(clearColor & 0xFFu), pixels * sizeof(uint32_t));
        } else {
            std::fill(row, row + pixels, clearColor);
        }
    }
}

void Surface::fillRect(SDL_Rect* rect, uint32_t value)
{
    if (sdlSurface) {
        SDL_FillRect(sdlSurface, rect, value);
    }
}

uint32_t Surface::mapRgb(const SDL_Color& color) const
{
    return sdlSurface ? SDL_MapRGB(sdlSurface->format, color.r, color.g, color.b) : 0;
}

void Surface::blitFrom(const Surface& source, SDL_Rect* sourceRect, SDL_Rect* destRect)
{
    if (source.sdlSurface && sdlSurface) {
        SDL_UpperBlit(source.sdlSurface, sourceRect, sdlSurface, destRect);
    }
}

void Surface::blitTo(Surface& dest, SDL_Rect* sourceRect, SDL_Rect* destRect) const
{
    if (sdlSurface && dest.sdlSurface) {
        SDL_UpperBlit(sdlSurface, sourceRect, dest.sdlSurface, destRect);
    }
}

void Surface::waveBlit(const Surface& source, double amplitude, double frequency, double rowFactor,
                       int phase, bool transparent)
{
    if (!source.sdlSurface) {
        return;
    }
    const int width = source.getWidth();
    const int height = source.getHeight();
    if (!sdlSurface) {
        create(source.getSurfaceFormat());
        if (!sdlSurface) {
            return;
        }
    }
    if (transparent) {
        fillRect(nullptr, 0);
    }
    for (int row = 0; row < height; ++row) {
        // Truncated toward zero, like the C conversion it stands for.
        const double shift =
            amplitude * std::sin((row * rowFactor + static_cast<double>(phase)) * frequency);
        SDL_Rect from = {0, static_cast<Sint16>(row), static_cast<Uint16>(width), 1};
        SDL_Rect to = {static_cast<Sint16>(static_cast<int>(shift)), static_cast<Sint16>(row), 0,
                       0};
        blitFrom(source, &from, &to);
    }
    if (transparent) {
        setAlpha(SDL_SRCALPHA, 255);
    }
}

} // namespace tarvo
