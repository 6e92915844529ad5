// Building a TileMap from a level file with its pictures from wherever the level came from:
// the search path for a level file, the folder beside a Tiled map.
#pragma once

#include "tarvo/tiles/level.h"

#include <cstddef>
#include <functional>
#include <memory>

namespace tarvo
{

enum class LevelImage { Tile, Background };

// The picture of the index-th tile or background, whose level file number is number; null,
// after saying why where it can, when it does not load.
using LevelImageLoader =
    std::function<std::unique_ptr<Surface>(LevelImage kind, size_t index, int number)>;

// Builds level from file with the pictures load gives, tiles keyed white; false when one is
// missing, level then holding part of the level.
bool buildTileMap(const LevelFile& file, TileMap& level, const LevelImageLoader& load);

// The image at a virtual name, or null after loadImage has logged why.
std::unique_ptr<Surface> loadImageOrNull(const char* name);

} // namespace tarvo
