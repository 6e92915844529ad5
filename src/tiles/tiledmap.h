// Tiled maps (the TMX and JSON forms of the Tiled map editor) as levels: the reader gathers
// what a map says into the plain structures below, the mapping turns them into a level file,
// and the level dumper's writer describes a level in the same structures. Private to the
// library, but it exports what the level compiler and dumper call.
#pragma once

#include "tarvo/api.h"
#include "tarvo/tiles/levelfile.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tarvo
{

// The only tile size a level knows.
constexpr int64_t kTiledTileSize = 24;

// A map, tileset or layer that cannot become a level; message is the whole report line.
struct TARVO_API TiledError {
    std::string message;
};

// Where an element of a map lies: a line of an XML file, or a JSON pointer into a JSON file.
struct TiledPlace {
    std::string file;
    int line = 0;        // XML
    std::string pointer; // JSON, the element's own pointer
    bool isJson = false;

    // The report prefix for the element, or for one of its members in JSON.
    std::string at(const std::string& member = "") const;
    [[noreturn]] void fail(const std::string& member, const std::string& message) const;
};

struct TiledProperty {
    TiledPlace place;
    std::string name;
    std::string type; // "string", "int", ...
    std::string value;

    // Fails with "property NAME is not valid: WHY" at the property's value.
    [[noreturn]] void invalid(const std::string& why) const;
};

// Layer data as the file holds it, decoded only once its size has been checked.
struct TiledData {
    TiledPlace place;
    std::string encoding;       // "csv" or "base64"
    std::string compression;    // "", "zlib", "gzip", ...
    std::string text;           // CSV or base64 text
    std::vector<uint32_t> gids; // a JSON array, already read; what the writer writes
    bool isArray = false;
};

// An object of an object layer, with the shape Tiled gives it.
struct TiledObject {
    enum class Shape { Rectangle, Ellipse, Point, Polygon, Polyline, Text };
    TiledPlace place;
    int64_t id = 0;
    std::string name;
    std::string type; // "type" up to Tiled 1.8, "class" after
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;
    double rotation = 0;
    int64_t gid = -1; // a tile object's gid, flags included; -1 for none
    Shape shape = Shape::Rectangle;
    std::string templateFile; // an object made from a template: the template's file
    std::vector<TiledProperty> properties;
};

struct TiledLayer {
    enum class Kind { Tile, Image, Object, Group };
    TiledPlace place;
    Kind kind = Kind::Tile;
    std::string name;
    int64_t width = 0;
    int64_t height = 0;
    double offsetX = 0;
    double offsetY = 0;
    double parallaxX = 1;
    double parallaxY = 1;
    bool visible = true;
    double opacity = 1;
    std::string tint; // "tintcolor" as written, empty for none
    TiledData data;
    std::string image; // image layers: the image's file name as written
    std::string trans; // image layers: "rrggbb", or empty for none
    std::vector<TiledProperty> properties;
    std::vector<TiledObject> objects; // object layers
};

struct TiledFrame {
    TiledPlace place;
    int64_t tileId = 0;
    int64_t duration = 0; // milliseconds
};

struct TiledTile {
    TiledPlace place;
    int64_t id = 0;
    std::string image;
    std::vector<TiledProperty> properties;
    std::vector<TiledFrame> animation;
};

struct TiledTileset {
    TiledPlace place; // in the tileset's own file when it is external
    std::string name;
    int64_t firstGid = 1;
    int64_t tileWidth = 0;
    int64_t tileHeight = 0;
    int64_t offsetX = 0; // the tile offset Tiled draws every tile at
    int64_t offsetY = 0;
    std::vector<TiledTile> tiles;
    // A single-image tileset: its image's path (relative to the tileset's folder) and grid.
    std::string folder;
    std::string image;
    std::string trans; // the image's transparent colour "rrggbb", empty for none
    int64_t tileCount = 0;
    int64_t columns = 0;
    int64_t margin = 0;
    int64_t spacing = 0;
};

// Orientation, infinity and tile size are checked as the map is read, before its layers: a
// map that fails them may hold its layers in a form the reader does not know.
struct TiledMap {
    TiledPlace place;
    std::vector<TiledProperty> properties;
    std::vector<TiledTileset> tilesets; // at most one
    std::vector<TiledLayer> layers;     // in file order, back to front
};

// A compiled map: the level (its objects with their places in the map), the tiles cut from a
// single-image tileset (tile id i's kTiledTileSize x kTiledTileSize RGBA pixels, saved as
// TILE%04d.PNG), where each tile's and background's image lies beside the map, and the
// warnings, for the caller to write out once every check has passed.
struct TiledLevel {
    LevelFile level;
    std::vector<std::vector<uint8_t>> cutTiles;
    std::vector<std::string> tilePaths;       // per tile, "" for a cut tile
    std::vector<std::string> backgroundPaths; // per background
    std::vector<std::string> warnings;        // whole report lines
};

// Paths: whether the extension names Tiled's JSON form (.tmj, .tsj, .json in any case), the
// folder part with its slash ("" for none), and the file name.
TARVO_API bool isJsonPath(const std::string& path);
TARVO_API std::string folderOf(const std::string& path);
TARVO_API std::string baseName(const std::string& path);

// Reads a .tmx, .tmj or .json map and its external tileset. Throws TiledError.
TiledMap readTiledMap(const std::string& path);

// Reads a .tsx, .tsj or .json tileset file whose tiles number from firstGid. Throws TiledError.
TiledTileset readTilesetFile(const std::string& path, int64_t firstGid);

// The first property of the list named name, or null.
const TiledProperty* findProperty(const std::vector<TiledProperty>& list, const char* name);
// An int property from low to high; fails with "property P is not valid: not an int" or
// "... not from LOW to HIGH".
int64_t intProperty(const TiledProperty& property, int64_t low, int64_t high);

// Fails with "tile size WxH is not 24x24" at the member that is wrong.
void checkTileSize(const TiledPlace& place, int64_t width, int64_t height);

// The gids of layer L (the engine's number): width x height of them, row-major.
// Throws TiledError.
std::vector<uint32_t> decodeTiledData(const TiledLayer& layer, int number);

// The first layer's cells for the tiles a map shows there (-1 for none), through its
// translation table: kEmptyCell where the tile is entry 0's, else the first entry holding the
// tile. False when a tile has no entry a cell can index.
TARVO_API bool firstLayerCells(const std::vector<int32_t>& table, const std::vector<int32_t>& tiles,
                               std::vector<int16_t>& cells);

// Builds the level a map describes. A single-image tileset is cut into out.cutTiles when
// cutTiles is set, and is an error otherwise. Throws TiledError.
void levelFromTiledMap(const TiledMap& map, bool cutTiles, TiledLevel& out);

// Tile properties, animations, objects and the collision layer into level.extension: the part
// of levelFromTiledMap that reads what the map says beyond its pictures. Throws TiledError.
void readMapExtension(const TiledMap& map, LevelFile& level);

// Reads and compiles the map at path, as the level compiler does. False with error set to the
// report line; out.warnings holds the warnings either way.
TARVO_API bool compileTiledMap(const std::string& path, bool cutTiles, TiledLevel& out,
                               std::string& error);

} // namespace tarvo
