// TileSet: the level's tile images in load order; a tile number is an index into it.
#pragma once

#include "tarvo/api.h"

#include <memory>
#include <vector>

namespace tarvo
{

class Surface;

class TARVO_API TileSet
{
public:
    TileSet();
    ~TileSet();
    TileSet(const TileSet&) = delete;
    TileSet& operator=(const TileSet&) = delete;

    // The tile, or null when n is not a tile number of this set.
    Surface* getTile(int n) const;
    void addTile(std::unique_ptr<Surface> surface);
    int count() const { return static_cast<int>(tiles.size()); }

private:
    std::vector<std::unique_ptr<Surface>> tiles;
};

} // namespace tarvo
