// Surface: the engine's one wrapper over an SDL surface. Every operation on an empty Surface
// is a silent no-op, so a missing image simply draws nothing.
#pragma once

#include "tarvo/api.h"

#include <SDL.h>
#include <cstdint>
#include <vector>

namespace tarvo
{

// Enough of one surface's description to create another of the same kind.
struct SurfaceFormat {
    uint32_t flags = 0;
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t pitch = 0;
    uint32_t bitsPerPixel = 0;
    uint32_t bytesPerPixel = 0;
    uint32_t rMask = 0;
    uint32_t gMask = 0;
    uint32_t bMask = 0;
    uint32_t aMask = 0;
};

// The screen's fixed geometry: everything is drawn, read and saved at this size.
const int kScreenWidth = 320;
const int kScreenHeight = 240;
const int kScreenDepth = 32;

// A width x height 32-bit format with its colour in 0x00RRGGBB and the given alpha mask: the
// layout of the screen, the renderer's targets and its textures.
TARVO_API SurfaceFormat argbFormat(int width, int height, uint32_t alphaMask = 0);

class TARVO_API Surface
{
public:
    Surface() = default;
    ~Surface();
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    SDL_Surface* getSdlSurface() const { return sdlSurface; }
    bool isOwned() const { return owned; }

    // Frees the held surface, owned or not, and leaves this Surface empty.
    void release();

    // Tests the mode first; the screen surface is held but never owned.
    bool setVideoMode(int width, int height, int bitsPerPixel, uint32_t flags);
    void flip();
    void saveBmp(const char* path);
    // The pixels of a 32-bit surface as 8-bit R, G, B, rows top down without padding; empty
    // for any other depth.
    void readRgb(std::vector<uint8_t>& rgb) const;

    void create(const SurfaceFormat& format);
    SurfaceFormat getSurfaceFormat() const;
    SDL_PixelFormat* getPixelFormat() const;
    int getWidth() const;
    int getHeight() const;

    bool lock();
    void unlock();
    void setColorKey(uint32_t flags, uint32_t key);
    void setAlpha(uint32_t flags, uint8_t alpha);
    void clear();
    void fillRect(SDL_Rect* rect, uint32_t value);
    uint32_t mapRgb(const SDL_Color& color) const;

    void blitFrom(const Surface& source, SDL_Rect* sourceRect, SDL_Rect* destRect);
    void blitTo(Surface& dest, SDL_Rect* sourceRect, SDL_Rect* destRect) const;

    // Copies each source row shifted sideways by amplitude * sin((row * rowFactor + phase)
    // * frequency); creates the destination from the source's format when it is empty.
    void waveBlit(const Surface& source, double amplitude, double frequency, double rowFactor,
                  int phase, bool transparent);

    // Image loading through the virtual file system (image.cpp).
    void loadImage(const char* name);
    void loadFromStream(SDL_RWops* stream, int freeSource);
    void convertToDisplayFormat(bool withAlpha);

    // A rotated and scaled copy of source through SDL_gfx (rotozoom.cpp).
    void rotoZoom(const Surface& source, double angle, double zoom, int smooth);

private:
    // Takes ownership of a freshly made surface, freeing the one held so far.
    void adopt(SDL_Surface* surface);

    SDL_Surface* sdlSurface = nullptr;
    bool owned = false;
    uint32_t clearColor = 0;
};

extern TARVO_API Surface* gScreen;

} // namespace tarvo
