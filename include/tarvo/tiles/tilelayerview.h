/// @file
/// TileLayerView: draws one tile layer with its tile set, scrolling one to one with the camera.
#pragma once

#include "tarvo/api.h"
#include "tarvo/tiles/drawable.h"

namespace tarvo
{

class TileLayer;
class TileSet;

/// Draws a TileLayer's tiles from a TileSet, the camera's position at the target's top left.
class TARVO_API TileLayerView : public Drawable
{
public:
    /// Blits every tile that touches target, each at its own size and with its colour key;
    /// cells without a tile are left as they are.
    void draw(Surface& target) override;

    const TileSet* tileSet = nullptr; ///< Not owned; null draws nothing.
    const TileLayer* layer = nullptr; ///< Not owned; null draws nothing.
};

} // namespace tarvo
