// Background: one parallax image behind the tile layers, scrolled by its own divisors and
// optionally repeated to fill the screen.
#pragma once

#include "tarvo/api.h"
#include "tarvo/tiles/drawable.h"

#include <cstdint>
#include <memory>

namespace tarvo
{

class Surface;

class TARVO_API Background : public Drawable
{
public:
    Background();
    ~Background() override;
    Background(const Background&) = delete;
    Background& operator=(const Background&) = delete;

    // The camera fields hold the scaled camera 10 * (camera + 1), so a divisor of 10 scrolls
    // at the camera's speed and 20 at half of it.
    void draw(Surface& target) override;

    static constexpr int32_t kRepeatX = 1;
    static constexpr int32_t kRepeatY = 2;

    int32_t x = 0; // base screen position before the parallax offset
    int32_t y = 0;
    int32_t xDivisor = 0; // 0 = does not scroll on that axis
    int32_t yDivisor = 0;
    int32_t flags = 0; // kRepeatX | kRepeatY
    std::unique_ptr<Surface> image;
};

} // namespace tarvo
