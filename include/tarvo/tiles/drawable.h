/// @file
/// Drawable: the base of everything the tile engine draws for a camera position.
#pragma once

#include "tarvo/api.h"

#include <cstdint>

namespace tarvo
{

class Surface;

/// Something drawn for a camera position: a tile layer's view or a background.
class TARVO_API Drawable
{
public:
    Drawable() = default;
    virtual ~Drawable() = default;

    /// Draws onto target for the camera fields below; the base draws nothing.
    virtual void draw(Surface& target);

    int32_t cameraX = 0; ///< Camera position in pixels; set by the caller before every draw.
    int32_t cameraY = 0; ///< Camera position in pixels, downwards.
};

} // namespace tarvo
