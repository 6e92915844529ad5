// The loaded level of the tile stage: loading it from the level file, drawing it for a camera
// position and dumping its first layer as text.
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

struct TileMap {
    TileSet tileSet;
    std::unique_ptr<TileLayer> layers[3]; // first, second, third in file order
    std::vector<std::unique_ptr<Background>> backgrounds;
    int32_t values[6] = {}; // V1 to V6, kept but read by nothing
};

using LayerViews = std::array<TileLayerView, 3>;

// The level of the run (null until a load succeeds) and the three views that draw its layers.
extern TARVO_API TileMap* gLevel;
extern TARVO_API LayerViews gLayerViews;

// Reads "demo1/levels/blk301a" and every image it names through PhysicsFS; on success it
// replaces gLevel. False (gLevel untouched) when the file or an image is missing or the file
// is malformed.
TARVO_API bool loadLevel();
// The same for any virtual path, into level.
TARVO_API bool loadLevel(const char* path, TileMap& level);
// Builds level from a file already read, loading its images.
TARVO_API bool buildTileMap(const LevelFile& file, TileMap& level);

TARVO_API void bindLayerViews();
TARVO_API void bindLayerViews(const TileMap& level, LayerViews& views);

// Backgrounds in file order, then the third, second and first layer.
TARVO_API void drawLevel(int cameraX, int cameraY);
TARVO_API void drawLevel(Surface& target, TileMap& level, LayerViews& views, int cameraX,
                         int cameraY);

// Writes gLevel's first layer to "mapdump.dat".
TARVO_API void dumpLevel();
// One line per row, each cell right-aligned in two characters and followed by a space;
// nothing is written when path cannot be created.
TARVO_API void writeLayerDump(const TileLayer& layer, const char* path);

} // namespace tarvo
