// Tiled maps (the TMX and JSON forms of the Tiled map editor) as levels: the reader gathers
// what a map says into the plain structures below, the mapping turns them into a level file,
// and the writer turns a level into a map and its tileset.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct LevelFile;

// A map, tileset or layer that cannot become a level; message is the whole report line.
struct TiledError {
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
};

// Layer data as the file holds it, decoded only once its size has been checked.
struct TiledData {
    TiledPlace place;
    std::string encoding;       // "csv" or "base64"
    std::string compression;    // "", "zlib", "gzip", ...
    std::string text;           // CSV or base64 text
    std::vector<uint32_t> gids; // a JSON array, already read
    bool isArray = false;
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
    TiledData data;
    std::string image; // image layers: the image's file name as written
    std::string trans; // image layers: "rrggbb", or empty for none
    std::vector<TiledProperty> properties;
};

struct TiledTile {
    TiledPlace place;
    int64_t id = 0;
    std::string image;
};

struct TiledTileset {
    TiledPlace place;
    int64_t firstGid = 1;
    int64_t tileWidth = 0;
    int64_t tileHeight = 0;
    std::vector<TiledTile> tiles;
    // A single-image tileset: its image's path (relative to the tileset's folder) and grid.
    std::string folder;
    std::string image;
    int64_t tileCount = 0;
    int64_t columns = 0;
    int64_t margin = 0;
    int64_t spacing = 0;
};

struct TiledMap {
    TiledPlace place;
    std::string orientation;
    bool infinite = false;
    int64_t tileWidth = 0;
    int64_t tileHeight = 0;
    std::vector<TiledProperty> properties;
    std::vector<TiledTileset> tilesets;
    std::vector<TiledLayer> layers; // in file order, back to front
};

// Paths: whether the extension names a Tiled map (.tmx, .tmj, .json), the folder part with its
// slash ("" for none), and the file name.
bool isTiledMapPath(const std::string& path);
std::string folderOf(const std::string& path);
std::string baseName(const std::string& path);

// Reads a .tmx, .tmj or .json map and its external tilesets. Throws TiledError.
TiledMap readTiledMap(const std::string& path);

// The gids of one layer: width x height of them, row-major. Throws TiledError.
std::vector<uint32_t> decodeTiledData(const TiledLayer& layer);

// Builds the level a map describes. A single-image tileset is cut into cutTiles/TILE%04d.PNG,
// and is an error when cutTiles is empty. Throws TiledError.
void levelFromTiledMap(const TiledMap& map, const std::string& cutTiles, LevelFile& level);

// Writes the level as a map at path with its tileset at tilesetPath, referring to the images
// as tiles/TILE%04d.PNG and bg/BG%04d.PNG. False with message set when a file cannot be written.
bool writeTiledMap(const LevelFile& level, const std::string& path, const std::string& tilesetPath,
                   std::string& message);

// Whole-file output: written beside path and renamed over it, so a failure leaves nothing.
bool writeFileAtomically(const std::string& path, const std::string& bytes);
