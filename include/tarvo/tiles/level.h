/// @file
/// The loaded level: loading it from a level file or a Tiled map, its tile properties, objects
/// and animated tiles, drawing it for a camera position and dumping its first layer as text.
#pragma once

#include "tarvo/api.h"
#include "tarvo/tiles/animation.h"
#include "tarvo/tiles/background.h"
#include "tarvo/tiles/properties.h"
#include "tarvo/tiles/tilelayer.h"
#include "tarvo/tiles/tilelayerview.h"
#include "tarvo/tiles/tileset.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tarvo
{

struct LevelExtension;
struct LevelFile;
class Surface;

/// A loaded level: its tiles, three layers of 24 x 24 pixel cells and parallax backgrounds,
/// and what its map says beyond the pictures: tile properties, animated tiles, objects and the
/// layer collision reads. Tile numbers are the level's own, in the order its tiles load.
struct TARVO_API TileMap {
    TileSet tileSet;                      ///< Tile number i is the file's i-th tile image.
    std::unique_ptr<TileLayer> layers[3]; ///< First, second, third in file order; first on top.
    std::vector<std::unique_ptr<Background>> backgrounds; ///< Drawn in order, behind the layers.
    int32_t values[6] = {};                               ///< V1 to V6, kept but read by nothing.

    /// The properties of the tile in a cell of layer 0 to 2 (first, second, third); an empty
    /// record outside the grid, for a cell without a tile or a tile without properties. The
    /// reference stays valid until the level is loaded again.
    const TileProperties& tileProperties(int layer, int32_t col, int32_t row) const;
    /// Every object of the map's object layers, layer by layer in file order.
    const std::vector<LevelObject>& objects() const { return levelObjects; }
    /// The objects whose type is type, in the order of objects(); pointers into it.
    std::vector<const LevelObject*> objectsOfType(const std::string& type) const;
    /// The layer collision reads, 0-based: the map's collisionlayer property less one, 1 by
    /// default (the second layer).
    int collisionLayer() const { return collision; }

    /// Moves the animation clock on by one tick; call it once per tick of the game, so a
    /// paused game freezes its animated tiles and a replay draws them as it was recorded.
    void advance();
    /// Ticks the animation clock has run since the level loaded.
    uint64_t animationClock() const { return clock; }
    /// For each tile number, the tile drawn in its place at the animation clock: an animated
    /// tile's current frame, any other tile itself. The layer views read it.
    const std::vector<int32_t>& shownTiles() const { return frames; }
    /// Takes the tile properties, animations, objects and collision layer of extension, for
    /// tileCount tiles, and sets the animation clock to 0. Loading calls it.
    void setExtension(const LevelExtension& extension, int tileCount);

private:
    void showFrames();

    std::vector<TileProperties> properties; // by tile number; absent past its end
    std::vector<Animation> animations;      // by tile number; empty for a still tile
    std::vector<int32_t> frames;
    std::vector<LevelObject> levelObjects;
    int collision = 1;
    uint64_t clock = 0;
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
/// Loads a level from a real file (not a virtual name) into level, as the level compiler
/// reads it: a Tiled map when isTiledMapPath(path) says so, its images read from beside it
/// and, where missing there, from the search path as for a level file; any other file is a
/// level file, its images from the search path. On failure returns false with message set to
/// the compiler's report for a map ("FILE:LINE: ..." or "FILE: /pointer: ..."), to
/// "FILE: offset N: ..." for a level file, or naming the image that did not load; level is
/// then untouched. A map's warnings go to the log.
TARVO_API bool loadLevelFromFile(const std::string& path, TileMap& level, std::string& message);
/// Whether path names a Tiled map: its extension is .tmx, .tmj or .json, in any case.
TARVO_API bool isTiledMapPath(const std::string& path);

/// Binds gLayerViews to gLevel's tile set and layers; nothing without a level.
TARVO_API void bindLayerViews();
/// Binds views to level's tile set, layers and animated tiles; they point into level, which
/// must outlive them.
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
