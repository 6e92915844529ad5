// TileLayerView: draws one tile layer with its tile set, scrolling one to one with the camera.
#pragma once

#include "tarvo/api.h"
#include "tarvo/tiles/drawable.h"

namespace tarvo
{

class TileLayer;
class TileSet;

class TARVO_API TileLayerView : public Drawable
{
public:
    void draw(Surface& target) override;

    const TileSet* tileSet = nullptr; // not owned; null draws nothing
    const TileLayer* layer = nullptr; // not owned; null draws nothing
};

} // namespace tarvo
