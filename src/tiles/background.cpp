// Background: a parallax image. Copies extend right and down from the first visible one, so
// a repeating image covers the screen from its scrolled position onward.
#include "tarvo/tiles/background.h"

#include "tarvo/video/surface.h"

namespace tarvo
{

namespace
{

// Moves a repeating image's first copy to within one image of the screen's edge; false when
// a non-repeating image lies wholly off the near edge. The remainder keeps the dividend's sign.
bool placeFirstCopy(int64_t& position, int64_t size, bool repeat)
{
    if (repeat) {
        if (position <= -size) {
            position %= size;
        }
        return true;
    }
    return position + size >= 0;
}

} // namespace

Background::Background() = default;
Background::~Background() = default;

void Background::draw(Surface& target)
{
    if (!target.getSdlSurface() || !image || !image->getSdlSurface()) {
        return;
    }
    const int64_t screenWidth = target.getWidth();
    const int64_t screenHeight = target.getHeight();
    const int64_t imageWidth = image->getWidth();
    const int64_t imageHeight = image->getHeight();
    if (imageWidth <= 0 || imageHeight <= 0) {
        return;
    }
    // 64-bit so that file positions near the int32 limits cannot overflow.
    int64_t dx = x;
    if (xDivisor != 0) {
        dx -= static_cast<int64_t>(cameraX) / xDivisor;
    }
    int64_t dy = y;
    if (yDivisor != 0) {
        dy -= static_cast<int64_t>(cameraY) / yDivisor;
    }
    if (dx >= screenWidth || dy >= screenHeight) {
        return;
    }
    const bool repeatX = (flags & kRepeatX) != 0;
    const bool repeatY = (flags & kRepeatY) != 0;
    if (!placeFirstCopy(dx, imageWidth, repeatX) || !placeFirstCopy(dy, imageHeight, repeatY)) {
        return;
    }
    for (int64_t rowY = dy;; rowY += imageHeight) {
        for (int64_t colX = dx;; colX += imageWidth) {
            SDL_Rect to = {static_cast<Sint16>(colX), static_cast<Sint16>(rowY),
                           static_cast<Uint16>(imageWidth), static_cast<Uint16>(imageHeight)};
            image->blitTo(target, nullptr, &to);
            if (!repeatX || colX + imageWidth >= screenWidth) {
                break;
            }
        }
        if (!repeatY || rowY + imageHeight >= screenHeight) {
            break;
        }
    }
}

} // namespace tarvo
