// TileSet: owned tile images, addressed by load position.
#include "tarvo/tiles/tileset.h"

#include "tarvo/video/surface.h"

namespace tarvo
{

TileSet::TileSet() = default;
TileSet::~TileSet() = default;
TileSet::TileSet(TileSet&& other) noexcept = default;
TileSet& TileSet::operator=(TileSet&& other) noexcept = default;

Surface* TileSet::getTile(int n) const
{
    if (n < 0 || n >= count()) {
        return nullptr;
    }
    return tiles[static_cast<size_t>(n)].get();
}

void TileSet::addTile(std::unique_ptr<Surface> surface)
{
    tiles.push_back(std::move(surface));
}

} // namespace tarvo
