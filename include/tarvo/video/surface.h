/// @file
/// Surface: the engine's one wrapper over an SDL surface. Every operation on an empty Surface
/// is a silent no-op, so a missing image simply draws nothing.
#pragma once

#include "tarvo/api.h"

#include <SDL.h>
#include <cstdint>
#include <vector>

namespace tarvo
{

/// Enough of one surface's description to create another of the same kind.
struct SurfaceFormat {
    uint32_t flags = 0;         ///< SDL surface flags (SDL_SWSURFACE, SDL_SRCALPHA, ...).
    uint32_t width = 0;         ///< In pixels.
    uint32_t height = 0;        ///< In pixels.
    uint32_t pitch = 0;         ///< Bytes per row; create ignores it.
    uint32_t bitsPerPixel = 0;  ///< 8, 16, 24 or 32.
    uint32_t bytesPerPixel = 0; ///< Bytes per pixel; create ignores it.
    uint32_t rMask = 0;         ///< The red bits of a pixel value.
    uint32_t gMask = 0;         ///< The green bits.
    uint32_t bMask = 0;         ///< The blue bits.
    uint32_t aMask = 0;         ///< The alpha bits; 0 for none.
};

///@{
/// The screen's fixed geometry: everything is drawn, read and saved at this size and depth.
/// The window shows it scaled by a whole number.
const int kScreenWidth = 320;
const int kScreenHeight = 240;
const int kScreenDepth = 32;
///@}

/// A width x height 32-bit format with its colour in 0x00RRGGBB and the given alpha mask: the
/// layout of the screen, the renderer's targets and its textures.
TARVO_API SurfaceFormat argbFormat(int width, int height, uint32_t alphaMask = 0);

/// An SDL surface, owned or borrowed, or nothing.
///
/// Loading and creating make the Surface own its picture, freed when it is replaced or on
/// destruction; the screen is held without being owned. A failed load or creation logs a
/// warning and leaves the Surface as it was.
class TARVO_API Surface
{
public:
    /// An empty Surface.
    Surface() = default;
    /// Frees the picture if owned.
    ~Surface();
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    /// The SDL surface held, or null when empty; still owned by this Surface.
    SDL_Surface* getSdlSurface() const { return sdlSurface; }
    /// Whether this Surface frees its picture.
    bool isOwned() const { return owned; }

    /// Frees the held surface, owned or not, and leaves this Surface empty.
    void release();

    /// Opens or changes the window's video mode and holds the screen surface (never owned);
    /// false when SDL rejects the mode. Start-up does this for gScreen.
    bool setVideoMode(int width, int height, int bitsPerPixel, uint32_t flags);
    /// Shows the screen surface (SDL_Flip).
    void flip();
    /// Writes the picture as a BMP file; an unwritable path is skipped silently.
    void saveBmp(const char* path);
    /// The pixels of a 32-bit surface as 8-bit R, G, B, rows top down without padding; empty
    /// for any other depth.
    void readRgb(std::vector<uint8_t>& rgb) const;

    /// Creates a new picture of format (pitch and bytesPerPixel are worked out by SDL), its
    /// pixels undefined.
    void create(const SurfaceFormat& format);
    /// This picture's format; all zero, with a warning, when empty.
    SurfaceFormat getSurfaceFormat() const;
    /// SDL's pixel format of the picture, or null when empty.
    SDL_PixelFormat* getPixelFormat() const;
    /// Width in pixels; 0 when empty.
    int getWidth() const;
    /// Height in pixels; 0 when empty.
    int getHeight() const;

    /// Locks the pixels for direct access (SDL_LockSurface); false when empty or it fails.
    /// Each successful lock needs an unlock.
    bool lock();
    /// Ends a lock.
    void unlock();
    /// SDL_SetColorKey: with SDL_SRCCOLORKEY in flags, pixels of value key are not blitted.
    void setColorKey(uint32_t flags, uint32_t key);
    /// SDL_SetAlpha: with SDL_SRCALPHA in flags, blits blend by the per-pixel alpha, or by
    /// alpha (0 transparent to 255 opaque) for a picture without one.
    void setAlpha(uint32_t flags, uint8_t alpha);
    /// Fills the clip rectangle with 0, black.
    void clear();
    /// Fills rect (null: the whole picture) with the pixel value.
    void fillRect(SDL_Rect* rect, uint32_t value);
    /// The pixel value of color's red, green and blue in this picture's format; 0 when empty.
    uint32_t mapRgb(const SDL_Color& color) const;

    /// Blits sourceRect of source (null: all of it) to destRect's x and y (null: 0, 0), clipped;
    /// SDL writes the drawn rectangle back into destRect.
    void blitFrom(const Surface& source, SDL_Rect* sourceRect, SDL_Rect* destRect);
    /// The same blit from this Surface into dest.
    void blitTo(Surface& dest, SDL_Rect* sourceRect, SDL_Rect* destRect) const;

    /// Copies each source row shifted sideways by amplitude * sin((row * rowFactor + phase)
    /// * frequency) pixels, truncated; creates the destination from the source's format when it
    /// is empty. With transparent, the destination is first filled with 0 and then blits with
    /// its alpha channel.
    void waveBlit(const Surface& source, double amplitude, double frequency, double rowFactor,
                  int phase, bool transparent);

    /// Loads a PNG or BMP image by virtual name through the virtual file system.
    void loadImage(const char* name);
    /// Loads a PNG or BMP image from stream; freeSource non-zero closes the stream in any case.
    void loadFromStream(SDL_RWops* stream, int freeSource);
    /// Converts the picture to the screen's format for fast blits, keeping per-pixel alpha when
    /// withAlpha is set. Needs the video mode set.
    void convertToDisplayFormat(bool withAlpha);

    /// Makes this Surface a copy of source rotated by angle degrees and scaled by zoom, sized to
    /// hold the whole result, through SDL_gfx; smooth 1 filters it. Unchanged when that fails.
    void rotoZoom(const Surface& source, double angle, double zoom, int smooth);

private:
    // Takes ownership of a freshly made surface, freeing the one held so far.
    void adopt(SDL_Surface* surface);

    SDL_Surface* sdlSurface = nullptr;
    bool owned = false;
    uint32_t clearColor = 0;
};

/// The screen: what a frame draws into before the flip. Set by start-up, null outside a run.
extern TARVO_API Surface* gScreen;

} // namespace tarvo
