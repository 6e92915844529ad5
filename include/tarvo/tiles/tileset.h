/// @file
/// TileSet: the level's tile images in load order; a tile number is an index into it.
#pragma once

#include "tarvo/api.h"

#include <memory>
#include <vector>

namespace tarvo
{

class Surface;

/// The tile images, owned, numbered from 0 in the order they were added.
class TARVO_API TileSet
{
public:
    /// An empty set.
    TileSet();
    ~TileSet();
    TileSet(const TileSet&) = delete;
    TileSet& operator=(const TileSet&) = delete;
    /// Takes other's tiles, leaving it empty.
    TileSet(TileSet&& other) noexcept;
    /// Frees this set's tiles and takes other's, leaving it empty.
    TileSet& operator=(TileSet&& other) noexcept;

    /// The tile, or null when n is not a tile number of this set.
    Surface* getTile(int n) const;
    /// Appends a tile as number count(); the set owns it from now on.
    void addTile(std::unique_ptr<Surface> surface);
    /// Tiles in the set.
    int count() const { return static_cast<int>(tiles.size()); }

private:
    std::vector<std::unique_ptr<Surface>> tiles;
};

} // namespace tarvo
