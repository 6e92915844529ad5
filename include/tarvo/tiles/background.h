/// @file
/// Background: one parallax image behind the tile layers, scrolled by its own divisors and
/// optionally repeated to fill the screen.
#pragma once

#include "tarvo/api.h"
#include "tarvo/tiles/drawable.h"

#include <cstdint>
#include <memory>

namespace tarvo
{

class Surface;

/// A parallax image: drawn at (x, y) less the camera divided by its divisors, repeated
/// rightwards and downwards from there where flags say so.
class TARVO_API Background : public Drawable
{
public:
    /// A background without image, which draws nothing.
    Background();
    ~Background() override;
    Background(const Background&) = delete;
    Background& operator=(const Background&) = delete;

    /// Draws the image, with its colour key, onto target. The camera fields hold the scaled
    /// camera 10 * (camera + 1), so a divisor of 10 scrolls at the camera's speed and 20 at half
    /// of it.
    void draw(Surface& target) override;

    ///@{
    /// flags: repeat the image across the target sideways (kRepeatX) or downwards (kRepeatY).
    static constexpr int32_t kRepeatX = 1;
    static constexpr int32_t kRepeatY = 2;
    ///@}

    int32_t x = 0;        ///< Base screen position before the parallax offset.
    int32_t y = 0;        ///< Base screen position before the parallax offset.
    int32_t xDivisor = 0; ///< Scaled camera per pixel of scrolling; 0 does not scroll sideways.
    int32_t yDivisor = 0; ///< Scaled camera per pixel of scrolling; 0 does not scroll downwards.
    int32_t flags = 0;    ///< kRepeatX | kRepeatY.
    std::unique_ptr<Surface> image; ///< The picture, owned; null draws nothing.
};

} // namespace tarvo
