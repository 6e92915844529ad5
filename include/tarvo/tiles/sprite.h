/// @file
/// Sprites: a sheet of frames cut from one image (a grid of one frame size, or the tiles of a
/// Tiled tileset) and a sprite that plays an animation of them at a level position.
#pragma once

#include "tarvo/api.h"
#include "tarvo/tiles/animation.h"

#include <SDL.h>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tarvo
{

class Surface;

/// One image and the rectangles of its frames, numbered from 0 left to right, then top down.
///
/// Colour key and per-pixel alpha are the image's, set on image() as on any Surface, and apply
/// to every frame drawn, flipped or not. A failed load logs a warning and leaves the sheet as
/// it was.
class TARVO_API SpriteSheet
{
public:
    /// An empty sheet: no frames, nothing drawn.
    SpriteSheet();
    ~SpriteSheet();
    SpriteSheet(const SpriteSheet&) = delete;
    SpriteSheet& operator=(const SpriteSheet&) = delete;

    /// Loads a PNG or BMP image by virtual name and cuts it into frames of frameWidth x
    /// frameHeight pixels, as many as fit whole; false when the image does not load or not one
    /// frame fits.
    bool load(const char* name, int frameWidth, int frameHeight);
    /// Loads a Tiled tileset file (.tsx, or .tsj or .json for Tiled's JSON form) of a single
    /// image, of any tile size: tile id i becomes frame i, cut by the tileset's tile size,
    /// margin, spacing and columns, and its animation becomes animation(i). The image is read
    /// from beside the tileset or, when missing there, by the same name from the search path;
    /// the tileset's transparent colour becomes the colour key. False when the file is not
    /// such a tileset, the image does not load or a tile lies outside it.
    bool loadTileset(const std::string& path);

    /// The picture the frames are cut from, for its colour key and alpha; empty before a load.
    Surface& image() { return *picture; }
    /// The picture the frames are cut from.
    const Surface& image() const { return *picture; }
    /// Frames in the sheet.
    int count() const { return static_cast<int>(frames.size()); }
    /// A frame's rectangle in image(); frame must be from 0 to count() - 1.
    const SDL_Rect& frameRect(int frame) const { return frames[static_cast<size_t>(frame)]; }
    /// The animation a tileset gives tile frame, or one without frames when it gives none.
    const Animation& animation(int frame) const;

    /// Draws frame with its top left at x, y of target, mirrored left to right when flipped,
    /// clipped to target; nothing for a frame the sheet does not have.
    void draw(Surface& target, int frame, int x, int y, bool flipped) const;

private:
    // Cuts picture into count frames of the grid, or fails naming what.
    bool cut(const std::string& what, int64_t width, int64_t height, int64_t margin,
             int64_t spacing, int64_t columns, int64_t count);
    const Surface& mirrored() const;

    std::unique_ptr<Surface> picture;
    std::vector<SDL_Rect> frames;
    std::vector<Animation> animations; // by frame; may be shorter than frames
    // The picture mirrored left to right, made at the first flipped draw and again when the
    // picture is replaced (a new load, a format conversion).
    mutable std::unique_ptr<Surface> mirror;
    mutable const void* mirroredPixels = nullptr;
};

/// A sheet's frame at a level position, playing an animation one tick at a time.
class TARVO_API Sprite
{
public:
    const SpriteSheet* sheet = nullptr; ///< Not owned; null draws nothing.
    int frame = 0;     ///< The frame drawn: the animation's, or the game's own without one.
    int32_t x = 0;     ///< Left edge in level pixels.
    int32_t y = 0;     ///< Top edge in level pixels, downwards.
    bool flip = false; ///< Drawn mirrored left to right: the exact mirror image.

    /// Plays animation from its first tick and shows its first frame, unless it is the
    /// animation playing already (the same frames and loop), which goes on undisturbed: a game
    /// may call it every tick.
    void play(const Animation& animation);
    /// One tick of the animation: call it once per tick of the game. Sets frame to the
    /// animation's frame at the ticks played; leaves frame alone without an animation.
    void update();
    /// Draws frame at x - cameraX, y - cameraY of target, as SpriteSheet::draw does.
    void draw(Surface& target, int cameraX, int cameraY) const;

    /// The animation playing; one without frames before play.
    const Animation& animation() const { return playing; }
    /// Ticks played of it: 0 at play(), one more at each update().
    uint64_t ticks() const { return clock; }

private:
    Animation playing;
    uint64_t clock = 0;
};

} // namespace tarvo
