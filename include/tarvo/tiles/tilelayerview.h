/// @file
/// TileLayerView: draws one tile layer with its tile set, scrolling one to one with the camera.
#pragma once

#include "tarvo/api.h"
#include "tarvo/tiles/drawable.h"

#include <cstdint>
#include <vector>

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
    /// Not owned: tile number n is drawn as tile (*shownTiles)[n] where n has an entry, as
    /// TileMap::shownTiles() gives an animated tile's frame; null draws every tile as itself.
    const std::vector<int32_t>* shownTiles = nullptr;
};

} // namespace tarvo
