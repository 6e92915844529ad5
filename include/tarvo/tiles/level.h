/// @file
/// The loaded level of the tile stage: loading it from the level file, drawing it for a camera
/// position and dumping its first layer as text.
#pragma once

#include "tarvo/api.h"
#include "tarvo/tiles/background.h"
#include "tarvo/tiles/tilelayer.h"
#include "tarvo/tiles/tilelayerview.h"
#include "tarvo/tiles/tileset.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace tarvo
{

struct LevelFile;
class Surface;

/// A loaded level: its tiles, three layers of 24 x 24 pixel cells and parallax backgrounds.
struct TileMap {
    TileSet tileSet;                      ///< Tile number i is the file's i-th tile image.
    std::unique_ptr<TileLayer> layers[3]; ///< First, second, third in file order; first on top.
    std::vector<std::unique_ptr<Background>> backgrounds; ///< Drawn in order, behind the layers.
    int32_t values[6] = {};                               ///< V1 to V6, kept but read by nothing.
};

/// The views that draw a TileMap's three layers, in the order of TileMap::layers.
using LayerViews = std::array<TileLayerView, 3>;

/// The demo's level (null until a load succeeds), owned by the engine.
extern TARVO_API TileMap* gLevel;
/// The views that draw gLevel's layers; bindLayerViews() binds them.
extern TARVO_API LayerViews gLayerViews;

/// Reads "demo1/levels/blk301a" and every image it names through PhysicsFS; on success it
/// replaces gLevel and unbinds gLayerViews. False (gLevel untouched) when the file or an image
/// is missing or the file is malformed.
TARVO_API bool loadLevel();
/// Reads the level file at a virtual path into level, as loadLevel() does. Tile i's image is
/// "demo1/tiles/TILE%04d.PNG" of its image number, a background's "demo1/bg/BG%04d.PNG", so
/// they must be on the search path too; tiles take white as colour key. On failure level may
/// hold part of the level.
TARVO_API bool loadLevel(const char* path, TileMap& level);
/// Builds level from a file already read, loading its images; false when an image is missing.
TARVO_API bool buildTileMap(const LevelFile& file, TileMap& level);

/// Binds gLayerViews to gLevel's tile set and layers; nothing without a level.
TARVO_API void bindLayerViews();
/// Binds views to level's tile set and layers; they point into level, which must outlive them.
TARVO_API void bindLayerViews(const TileMap& level, LayerViews& views);

/// Draws gLevel onto gScreen with gLayerViews; nothing without either.
TARVO_API void drawLevel(int cameraX, int cameraY);
/// Draws level onto target for a camera position in pixels: backgrounds in file order, then
/// the third, second and first layer.
TARVO_API void drawLevel(Surface& target, TileMap& level, LayerViews& views, int cameraX,
                         int cameraY);

/// Writes gLevel's first layer to "mapdump.dat" in the working directory.
TARVO_API void dumpLevel();
/// One line per row, each cell right-aligned in two characters and followed by a space;
/// nothing is written when path cannot be created.
TARVO_API void writeLayerDump(const TileLayer& layer, const char* path);

} // namespace tarvo
