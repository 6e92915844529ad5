// Sprite sheets and sprites. SDL 1.2 cannot blit mirrored, so a flipped frame is drawn from a
// mirrored copy of the whole sheet, where frame (x, w) lies at (width - x - w) in reverse.
#include "tarvo/tiles/sprite.h"

#include "tarvo/core/log.h"
#include "tarvo/video/surface.h"
#include "tiles/tiledmap.h"

#include <SDL.h>
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>

namespace tarvo
{

namespace
{

const Animation kStill;

void warn(const std::string& message)
{
    if (gLog) {
        gLog->print("Warning: %s", message.c_str());
    }
}

// A tileset's image: from beside it when there, else from the search path by the same name.
bool loadTilesetImage(const TiledTileset& tileset, Surface& image)
{
    const std::string beside = tileset.folder + tileset.image;
    std::error_code error;
    if (!std::filesystem::is_regular_file(beside, error)) {
        image.loadImage(tileset.image.c_str());
    } else if (SDL_RWops* stream = SDL_RWFromFile(beside.c_str(), "rb")) {
        image.loadFromStream(stream, 1);
    }
    return image.getSdlSurface() != nullptr;
}

// The pixel value of a tileset's "rrggbb" in image's format.
uint32_t colourOf(const std::string& rrggbb, const Surface& image)
{
    const unsigned long rgb = std::strtoul(rrggbb.c_str(), nullptr, 16);
    const SDL_Color colour = {static_cast<Uint8>(rgb >> 16), static_cast<Uint8>(rgb >> 8),
                              static_cast<Uint8>(rgb), 0};
    return image.mapRgb(colour);
}

bool sameAnimation(const Animation& a, const Animation& b)
{
    return a.loop == b.loop && a.frames.size() == b.frames.size() &&
           std::equal(a.frames.begin(), a.frames.end(), b.frames.begin(),
                      [](const Animation::Frame& p, const Animation::Frame& q) {
                          return p.index == q.index && p.ticks == q.ticks;
                      });
}

} // namespace

SpriteSheet::SpriteSheet() : picture(std::make_unique<Surface>()) {}

SpriteSheet::~SpriteSheet() = default;

bool SpriteSheet::load(const char* name, int frameWidth, int frameHeight)
{
    SpriteSheet loaded;
    loaded.picture->loadImage(name);
    if (!loaded.picture->getSdlSurface()) {
        return false;
    }
    const int64_t columns = frameWidth > 0 ? loaded.picture->getWidth() / frameWidth : 0;
    const int64_t rows = frameHeight > 0 ? loaded.picture->getHeight() / frameHeight : 0;
    if (!loaded.cut(name, frameWidth, frameHeight, 0, 0, columns, columns * rows)) {
        return false;
    }
    std::swap(picture, loaded.picture);
    std::swap(frames, loaded.frames);
    animations.clear();
    return true;
}

bool SpriteSheet::loadTileset(const std::string& path)
{
    TiledTileset tileset;
    try {
        tileset = readTilesetFile(path, 0);
    } catch (const TiledError& error) {
        warn(error.message);
        return false;
    }
    SpriteSheet loaded;
    if (tileset.image.empty()) {
        warn(path + ": a tileset of separate images is not a sprite sheet");
        return false;
    }
    if (!loadTilesetImage(tileset, *loaded.picture)) {
        warn(path + ": cannot load the image \"" + tileset.image + "\"");
        return false;
    }
    // Tiled leaves columns out of old files; it then fills the image's width.
    const int64_t step = tileset.tileWidth + tileset.spacing;
    const int64_t columns =
        tileset.columns > 0 || step <= 0
            ? tileset.columns
            : (loaded.picture->getWidth() - 2 * tileset.margin + tileset.spacing) / step;
    if (!loaded.cut(path, tileset.tileWidth, tileset.tileHeight, tileset.margin, tileset.spacing,
                    columns, tileset.tileCount)) {
        return false;
    }
    for (const TiledTile& tile : tileset.tiles) {
        if (tile.animation.empty() || tile.id < 0 || tile.id >= loaded.count()) {
            continue;
        }
        loaded.animations.resize(std::max(loaded.animations.size(), size_t(tile.id) + 1));
        Animation& animation = loaded.animations[size_t(tile.id)];
        for (const TiledFrame& frame : tile.animation) {
            const int duration =
                static_cast<int>(std::clamp<int64_t>(frame.duration, 0, INT32_MAX));
            animation.frames.push_back(
                {static_cast<int>(std::clamp<int64_t>(frame.tileId, -1, INT32_MAX)),
                 Animation::ticksFromMilliseconds(duration)});
        }
    }
    if (!tileset.trans.empty()) {
        loaded.picture->setColorKey(SDL_SRCCOLORKEY, colourOf(tileset.trans, *loaded.picture));
    }
    std::swap(picture, loaded.picture);
    std::swap(frames, loaded.frames);
    std::swap(animations, loaded.animations);
    return true;
}

bool SpriteSheet::cut(const std::string& what, int64_t width, int64_t height, int64_t margin,
                      int64_t spacing, int64_t columns, int64_t count)
{
    const int64_t imageWidth = picture->getWidth(), imageHeight = picture->getHeight();
    if (width < 1 || height < 1 || margin < 0 || spacing < 0 || columns < 1 || count < 1) {
        warn(what + ": no frame of " + std::to_string(width) + " x " + std::to_string(height) +
             " pixels to cut");
        return false;
    }
    for (int64_t i = 0; i < count; ++i) {
        const int64_t x = margin + i % columns * (width + spacing);
        const int64_t y = margin + i / columns * (height + spacing);
        // SDL_Rect's fields are 16 bits; a frame past them could not be drawn anyway.
        if (x + width > imageWidth || y + height > imageHeight || x > INT16_MAX || y > INT16_MAX ||
            width > UINT16_MAX || height > UINT16_MAX) {
            warn(what + ": frame " + std::to_string(i) + " lies outside the image");
            frames.clear();
            return false;
        }
        frames.push_back({static_cast<Sint16>(x), static_cast<Sint16>(y),
                          static_cast<Uint16>(width), static_cast<Uint16>(height)});
    }
    return true;
}

const Animation& SpriteSheet::animation(int frame) const
{
    return frame >= 0 && static_cast<size_t>(frame) < animations.size()
               ? animations[static_cast<size_t>(frame)]
               : kStill;
}

const Surface& SpriteSheet::mirrored() const
{
    SDL_Surface* source = picture->getSdlSurface();
    if (!mirror || mirroredPixels != source->pixels) {
        mirror = std::make_unique<Surface>();
        mirror->create(picture->getSurfaceFormat());
        SDL_Surface* copy = mirror->getSdlSurface();
        if (!copy || !picture->lock()) {
            mirror->release(); // drawn as nothing, and made again at the next draw
            return *mirror;
        }
        if (source->format->palette) {
            SDL_SetColors(copy, source->format->palette->colors, 0,
                          source->format->palette->ncolors);
        }
        mirror->lock();
        const int bytes = source->format->BytesPerPixel;
        for (int y = 0; y < source->h; ++y) {
            const auto* from = static_cast<const uint8_t*>(source->pixels) + y * source->pitch;
            auto* to = static_cast<uint8_t*>(copy->pixels) + y * copy->pitch;
            for (int x = 0; x < source->w; ++x) {
                std::memcpy(to + (source->w - 1 - x) * bytes, from + x * bytes, bytes);
            }
        }
        mirror->unlock();
        picture->unlock();
        mirroredPixels = source->pixels;
    }
    // The key and alpha follow the picture's, which the game may change at any time.
    SDL_Surface* copy = mirror->getSdlSurface();
    const uint32_t keyed = source->flags & SDL_SRCCOLORKEY, blended = source->flags & SDL_SRCALPHA;
    if (copy && ((copy->flags & SDL_SRCCOLORKEY) != keyed ||
                 copy->format->colorkey != source->format->colorkey)) {
        mirror->setColorKey(keyed, source->format->colorkey);
    }
    if (copy &&
        ((copy->flags & SDL_SRCALPHA) != blended || copy->format->alpha != source->format->alpha)) {
        mirror->setAlpha(blended, source->format->alpha);
    }
    return *mirror;
}

void SpriteSheet::draw(Surface& target, int frame, int x, int y, bool flipped) const
{
    if (frame < 0 || frame >= count()) {
        return;
    }
    SDL_Rect from = frames[static_cast<size_t>(frame)];
    // Off the target is skipped here, before the position is narrowed to SDL's 16 bits.
    if (x <= -from.w || y <= -from.h || x >= target.getWidth() || y >= target.getHeight()) {
        return;
    }
    SDL_Rect to = {static_cast<Sint16>(x), static_cast<Sint16>(y), 0, 0};
    if (!flipped) {
        target.blitFrom(*picture, &from, &to);
        return;
    }
    from.x = static_cast<Sint16>(picture->getWidth() - from.x - from.w);
    target.blitFrom(mirrored(), &from, &to);
}

void Sprite::play(const Animation& animation)
{
    if (sameAnimation(animation, playing)) {
        return;
    }
    playing = animation;
    clock = 0;
    if (!playing.frames.empty()) {
        frame = playing.frames[0].index;
    }
}

void Sprite::update()
{
    if (playing.frames.empty()) {
        return;
    }
    ++clock;
    frame = playing.frames[playing.frameAt(clock)].index;
}

void Sprite::draw(Surface& target, int cameraX, int cameraY) const
{
    if (sheet) {
        // In 64 bits: a sprite far from the camera must not wrap round onto the screen.
        const int64_t left = int64_t{x} - cameraX, top = int64_t{y} - cameraY;
        if (left > INT32_MIN && left < INT32_MAX && top > INT32_MIN && top < INT32_MAX) {
            sheet->draw(target, frame, static_cast<int>(left), static_cast<int>(top), flip);
        }
    }
}

} // namespace tarvo
