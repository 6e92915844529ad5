// From a Tiled map to a level file. Cells, tiles and backgrounds come from Tiled's own layers,
// tileset and image layers; custom properties carry only what Tiled has no place for.
#include "tarvo/tiles/levelfile.h"
#include "tarvo/video/pngfile.h"
#include "tiles/tiledmap.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>
#include <sstream>

namespace tarvo
{

namespace
{

constexpr int64_t kTileSize = kTiledTileSize;
constexpr uint32_t kGidFlags = 0xF0000000; // flips, diagonal flip and hexagonal rotation
constexpr int64_t kMaxSide = 32767;
constexpr int64_t kMaxRun = 32767;

// A file a map names: relative to the folder of the file naming it, unless absolute.
std::string besideFile(const std::string& folder, const std::string& name)
{
    return !name.empty() && name[0] == '/' ? name : folder + name;
}

// The number in PREFIX%04d.PNG, when name is exactly what the loader builds from it.
bool imageNumber(const std::string& name, const char* prefix, long low, long high, long& number)
{
    const size_t length = std::char_traits<char>::length(prefix);
    if (name.compare(0, length, prefix) != 0) {
        return false;
    }
    number = std::strtol(name.c_str() + length, nullptr, 10);
    char built[64];
    std::snprintf(built, sizeof built, "%s%04ld.PNG", prefix, number);
    return name == built && number >= low && number <= high;
}

std::vector<uint8_t> hexProperty(const TiledProperty& property)
{
    std::vector<uint8_t> bytes;
    const std::string& text = property.value;
    for (size_t i = 0; i < text.size(); i += 2) {
        const std::string pair = text.substr(i, 2);
        if (pair.size() != 2 || !std::isxdigit(static_cast<unsigned char>(pair[0])) ||
            !std::isxdigit(static_cast<unsigned char>(pair[1]))) {
            property.invalid("not hex bytes");
        }
        bytes.push_back(static_cast<uint8_t>(std::strtol(pair.c_str(), nullptr, 16)));
    }
    return bytes;
}

// A fixed-size byte field: absent is all zero.
template <size_t N>
void hexField(const std::vector<TiledProperty>& list, const char* name, std::array<uint8_t, N>& out)
{
    if (const TiledProperty* property = findProperty(list, name)) {
        const std::vector<uint8_t> bytes = hexProperty(*property);
        if (bytes.size() != N) {
            property->invalid("not " + std::to_string(N) + " bytes");
        }
        std::copy(bytes.begin(), bytes.end(), out.begin());
    }
}

std::vector<uint8_t> hexList(const std::vector<TiledProperty>& list, const char* name,
                             size_t recordSize, size_t most)
{
    const TiledProperty* property = findProperty(list, name);
    if (!property) {
        return {};
    }
    std::vector<uint8_t> bytes = hexProperty(*property);
    if (bytes.size() % recordSize != 0) {
        property->invalid("not whole " + std::to_string(recordSize) + "-byte records");
    }
    if (bytes.size() / recordSize > most) {
        property->invalid("more than " + std::to_string(most) + " records");
    }
    return bytes;
}

// Each chunk as the file holds it: 10 bytes, an int32 length, that many bytes.
void readChunks(const std::vector<TiledProperty>& list, LevelFile& level)
{
    const TiledProperty* property = findProperty(list, "chunks");
    if (!property) {
        return;
    }
    const std::vector<uint8_t> bytes = hexProperty(*property);
    size_t at = 0;
    while (at < bytes.size()) {
        LevelChunkData chunk;
        if (bytes.size() - at < chunk.head.size() + 4 || level.chunks.size() == 255) {
            property->invalid(level.chunks.size() == 255 ? "more than 255 chunks"
                                                         : "a chunk is cut short");
        }
        std::copy_n(bytes.begin() + static_cast<long>(at), chunk.head.size(), chunk.head.begin());
        at += chunk.head.size();
        const uint32_t length = static_cast<uint32_t>(bytes[at]) | bytes[at + 1] << 8 |
                                bytes[at + 2] << 16 | static_cast<uint32_t>(bytes[at + 3]) << 24;
        at += 4;
        if (length > bytes.size() - at) {
            property->invalid("a chunk is cut short");
        }
        chunk.body.assign(bytes.begin() + static_cast<long>(at),
                          bytes.begin() + static_cast<long>(at + length));
        at += length;
        level.chunks.push_back(chunk);
    }
}

void readMapProperties(const std::vector<TiledProperty>& list, LevelFile& level)
{
    int32_t* const wide[] = {&level.value1, &level.value2};
    int16_t* const narrow[] = {&level.value3, &level.value4, &level.value5, &level.value6};
    for (int i = 0; i < 6; ++i) {
        const std::string name = "V" + std::to_string(i + 1);
        if (const TiledProperty* property = findProperty(list, name.c_str())) {
            if (i < 2) {
                *wide[i] = static_cast<int32_t>(intProperty(*property, INT32_MIN, INT32_MAX));
            } else {
                *narrow[i - 2] = static_cast<int16_t>(intProperty(*property, -32768, 32767));
            }
        }
    }
    hexField(list, "header", level.header);
    hexField(list, "reserved1", level.reserved1);
    hexField(list, "reserved3", level.reserved3);
    std::array<uint8_t, 2> reserved2{};
    hexField(list, "reserved2", reserved2);
    level.reserved2 = static_cast<int16_t>(static_cast<uint16_t>(reserved2[0] | reserved2[1] << 8));
    level.block1 = hexList(list, "block1", 1, 255);
    level.trailer = hexList(list, "trailer", 1, SIZE_MAX);
    readChunks(list, level);
    level.records2 = hexList(list, "record2", kRecordSize2, UINT8_MAX);
    level.records3 = hexList(list, "record3", kRecordSize3, INT16_MAX);
    level.records4 = hexList(list, "record4", kRecordSize4, INT16_MAX);
    level.records5 = hexList(list, "record5", kRecordSize5, INT16_MAX);
    level.records6 = hexList(list, "record6", kRecordSize6, UINT8_MAX);
    level.records7 = hexList(list, "record7", kRecordSize7, UINT8_MAX);
    level.records8 = hexList(list, "record8", kRecordSize8, INT32_MAX);
}

// Cuts a single-image tileset into tiles in memory, honouring its margin and spacing.
void cutTileset(const TiledTileset& tileset, bool cut, TiledLevel& out)
{
    if (!cut) {
        tileset.place.fail("image", "single-image tilesets need --cut-tiles DIR");
    }
    checkTileSize(tileset.place, tileset.tileWidth, tileset.tileHeight);
    if (tileset.tileCount > INT16_MAX) {
        tileset.place.fail("tilecount", "more than 32767 tiles");
    }
    const std::string path = besideFile(tileset.folder, tileset.image);
    std::vector<uint8_t> pixels;
    int width = 0;
    int height = 0;
    if (!readPng(path, pixels, width, height)) {
        tileset.place.fail("image", "cannot read the tileset image \"" + path + "\"");
    }
    const auto outside = [&](int64_t id) {
        tileset.place.fail("image",
                           "tile " + std::to_string(id) + " lies outside the tileset image");
    };
    // Past the image's size a margin or spacing puts every tile it moves outside, so both are
    // bounded there before any arithmetic: a file's 2^63 - 1 must not wrap back inside.
    const int64_t bound = std::max(width, height) + 1;
    const int64_t margin = std::min(tileset.margin, bound);
    const int64_t spacing = std::min(tileset.spacing, bound);
    if (tileset.tileCount > 0 &&
        (margin < 0 || spacing < 0 || margin + kTileSize > width || margin + kTileSize > height)) {
        outside(0);
    }
    const int64_t step = kTileSize + spacing;
    const int64_t columns =
        tileset.columns > 0 ? tileset.columns : (width - 2 * margin + spacing) / step;
    if (tileset.tileCount > 0 && columns <= 0) {
        tileset.place.fail("image", "the tileset image holds no column of tiles");
    }
    for (int64_t id = 0; id < tileset.tileCount; ++id) {
        const int64_t x = margin + id % columns * step;
        const int64_t y = margin + id / columns * step;
        if (x + kTileSize > width || y + kTileSize > height) {
            outside(id);
        }
        std::vector<uint8_t>& tile = out.cutTiles.emplace_back(kTileSize * kTileSize * 4);
        for (int64_t row = 0; row < kTileSize; ++row) {
            std::copy_n(pixels.begin() + ((y + row) * width + x) * 4, kTileSize * 4,
                        tile.begin() + row * kTileSize * 4);
        }
        out.level.tileImages.push_back(static_cast<int16_t>(id));
        out.tilePaths.emplace_back();
    }
}

void readTileset(const TiledTileset& tileset, TiledLevel& out)
{
    LevelFile& level = out.level;
    if (tileset.tiles.size() > INT16_MAX) {
        tileset.place.fail("tiles", "more than 32767 tiles");
    }
    std::vector<const TiledTile*> tiles;
    for (const TiledTile& tile : tileset.tiles) {
        tiles.push_back(&tile);
    }
    std::stable_sort(tiles.begin(), tiles.end(),
                     [](const TiledTile* a, const TiledTile* b) { return a->id < b->id; });
    for (size_t i = 0; i < tiles.size(); ++i) {
        if (tiles[i]->id != static_cast<int64_t>(i)) {
            tiles[i]->place.fail("id", "tile ids must run from 0 without gaps");
        }
        long number = 0;
        const std::string name = baseName(tiles[i]->image);
        if (!imageNumber(name, "TILE", -32768, 32767, number)) {
            tiles[i]->place.fail("image", "tile image \"" + name + "\" is not named TILE%04d.PNG");
        }
        level.tileImages.push_back(static_cast<int16_t>(number));
        out.tilePaths.push_back(besideFile(tileset.folder, tiles[i]->image));
    }
}

// The engine's layers 1 to 3 by name, or the last tile layer in the file (the front) first.
std::array<const TiledLayer*, 3> pickTileLayers(const TiledMap& map)
{
    std::vector<const TiledLayer*> tileLayers;
    for (const TiledLayer& layer : map.layers) {
        if (layer.kind == TiledLayer::Kind::Group) {
            layer.place.fail("", "group layers are not supported");
        }
        if (layer.kind != TiledLayer::Kind::Tile) {
            continue;
        }
        if (tileLayers.size() == 3) {
            layer.place.fail("", "more than three tile layers");
        }
        if (layer.offsetX != 0 || layer.offsetY != 0 || layer.parallaxX != 1 ||
            layer.parallaxY != 1) {
            layer.place.fail("", "tile layer \"" + layer.name + "\" has an offset or parallax");
        }
        tileLayers.push_back(&layer);
    }
    static const std::string names[] = {"first", "second", "third"};
    std::array<const TiledLayer*, 3> picked{};
    size_t named = 0;
    for (const TiledLayer* layer : tileLayers) {
        const auto* name = std::find(std::begin(names), std::end(names), layer->name);
        if (name != std::end(names) && !picked[name - names]) {
            picked[name - names] = layer;
            ++named;
        }
    }
    if (named == 0) {
        std::copy(tileLayers.rbegin(), tileLayers.rend(), picked.begin());
    } else if (named != tileLayers.size()) {
        map.place.fail("layers", "tile layers must all be named first, second, third or none");
    }
    return picked;
}

struct TileCells {
    int64_t cols = 0;
    int64_t rows = 0;
    std::vector<int32_t> tiles; // tile numbers, -1 for none
};

TileCells readCells(const TiledLayer* layer, int number, const TiledTileset* tileset, size_t count)
{
    TileCells cells;
    if (!layer) {
        return cells;
    }
    const std::string name = "layer " + std::to_string(number);
    const std::pair<const char*, int64_t> sides[] = {{"width", layer->width},
                                                     {"height", layer->height}};
    for (const auto& [member, side] : sides) {
        if (side < 0 || side > kMaxSide) {
            layer->place.fail(member, name + " is wider or higher than 32767");
        }
    }
    if (layer->width * layer->height > kMaxLayerCells) {
        layer->place.fail("width", name + " is larger than 1048576 cells");
    }
    cells.cols = layer->width;
    cells.rows = layer->height;
    const std::vector<uint32_t> gids = decodeTiledData(*layer, number);
    const int64_t firstGid = tileset ? tileset->firstGid : 1;
    for (size_t i = 0; i < gids.size(); ++i) {
        const uint32_t gid = gids[i];
        if (gid & kGidFlags) {
            layer->data.place.fail("data", "flipped or rotated tile at column " +
                                               std::to_string(i % cells.cols) + " row " +
                                               std::to_string(i / cells.cols));
        }
        if (gid != 0 && (gid < firstGid || gid - firstGid >= static_cast<int64_t>(count))) {
            layer->data.place.fail("data", "gid " + std::to_string(gid) + " is in no tileset");
        }
        cells.tiles.push_back(gid == 0 ? -1 : static_cast<int32_t>(gid - firstGid));
    }
    return cells;
}

// The cell stream holds a run of empty positions in an int16, so a literal can follow at most
// 32767 of them (the extra column counts too).
void checkRuns(const TiledLayer* layer, int number, const LevelLayerData& data)
{
    int64_t run = 0;
    for (int64_t row = 0; row < data.rows; ++row) {
        for (int64_t col = 0; col <= data.cols; ++col) {
            if (col == data.cols || data.cells[row * data.cols + col] == kEmptyCell) {
                ++run;
                continue;
            }
            if (run > kMaxRun) {
                layer->data.place.fail("data", "layer " + std::to_string(number) +
                                                   ": more than 32767 empty cells before column " +
                                                   std::to_string(col) + " row " +
                                                   std::to_string(row));
            }
            run = 0;
        }
    }
}

// The cells property: the stored cells where the tiles alone cannot say them (a cell that
// reads the first layer's table at another entry than the reader would pick, a tile number
// the tile set lacks). Each must still read the tile the map shows there, or no tile the set
// holds where the map shows none, so a cell changed in Tiled is not silently overruled.
bool readStoredCells(const TiledLayer* layer, int number, const TileCells& cells,
                     const LevelFile& level, std::vector<int16_t>& stored)
{
    const TiledProperty* property = layer ? findProperty(layer->properties, "cells") : nullptr;
    if (!property) {
        return false;
    }
    std::istringstream in(property->value);
    std::string word;
    while (stored.size() <= cells.tiles.size() && in >> word) {
        char* end = nullptr;
        const long cell = word == "." ? kEmptyCell : std::strtol(word.c_str(), &end, 10);
        if (word != "." &&
            (!std::isdigit(static_cast<unsigned char>(word[0])) || *end != '\0' || cell > 255)) {
            property->invalid("\"" + word + "\" is not . or 0 to 255");
        }
        stored.push_back(static_cast<int16_t>(cell));
    }
    if (stored.size() != cells.tiles.size()) {
        property->invalid("not " + std::to_string(cells.cols) + " x " + std::to_string(cells.rows) +
                          " cells");
    }
    const auto count = static_cast<int32_t>(level.tileImages.size());
    for (size_t i = 0; i < stored.size(); ++i) {
        const int32_t tile = number == 1 ? translateCell(level, stored[i]) : stored[i];
        if ((tile >= 0 && tile < count ? tile : -1) != cells.tiles[i]) {
            property->place.fail("value", "property cells does not match the layers");
        }
    }
    return true;
}

void fillLayer(const TileCells& cells, const std::vector<int16_t>& stored, LevelLayerData& data)
{
    data.cols = static_cast<int16_t>(cells.cols);
    data.rows = static_cast<int16_t>(cells.rows);
    data.cells = stored;
}

void readUpperLayer(const TiledLayer* layer, int number, const TileCells& cells, LevelFile& level)
{
    std::vector<int16_t> stored;
    if (!readStoredCells(layer, number, cells, level, stored)) {
        for (const int32_t tile : cells.tiles) {
            if (tile > 255) {
                layer->data.place.fail("data", "tile number " + std::to_string(tile) +
                                                   " in layer " + std::to_string(number) +
                                                   " is beyond 255");
            }
            stored.push_back(tile < 0 ? kEmptyCell : static_cast<int16_t>(tile));
        }
    }
    fillLayer(cells, stored, level.layers[number - 1]);
}

// The table from the translation property, or entry 0 = -1 and then the tiles in use.
void readFirstLayer(const TiledLayer* layer, const TileCells& cells, LevelFile& level)
{
    static const std::vector<TiledProperty> none;
    const std::vector<TiledProperty>& list = layer ? layer->properties : none;
    std::vector<int32_t> table;
    const TiledProperty* property = findProperty(list, "translation");
    if (property) {
        std::istringstream in(property->value);
        std::string word;
        while (in >> word) {
            char* end = nullptr;
            errno = 0;
            const long long value = std::strtoll(word.c_str(), &end, 10);
            if (*end != '\0' || errno != 0 || value < INT32_MIN || value > INT32_MAX) {
                property->invalid("\"" + word + "\" is not an int32");
            }
            if (table.size() == INT16_MAX) {
                property->invalid("more than 32767 entries");
            }
            table.push_back(static_cast<int32_t>(value));
        }
    } else {
        const std::set<int32_t> used(cells.tiles.begin(), cells.tiles.end());
        table.push_back(-1);
        std::copy_if(used.begin(), used.end(), std::back_inserter(table),
                     [](int32_t tile) { return tile >= 0; });
        if (table.size() > 256) {
            layer->data.place.fail("data", "more than 255 tiles used in the first layer");
        }
    }
    std::vector<uint8_t> extra;
    if (const TiledProperty* extraProperty = findProperty(list, "translationExtra")) {
        extra = hexProperty(*extraProperty);
        if (extra.size() != table.size() * 6) {
            extraProperty->invalid("not 6 bytes for each of the " + std::to_string(table.size()) +
                                   " entries");
        }
    }
    level.translations.resize(table.size());
    for (size_t i = 0; i < table.size(); ++i) {
        level.translations[i].value = table[i];
        if (!extra.empty()) {
            std::copy_n(extra.begin() + static_cast<long>(6 * i), 6,
                        level.translations[i].reserved.begin());
        }
    }
    std::vector<int16_t> stored;
    if (!readStoredCells(layer, 1, cells, level, stored) &&
        !firstLayerCells(table, cells.tiles, stored)) {
        // Only a table from the property can miss a tile the layer uses.
        property->place.fail("value", "property translation does not match the layers");
    }
    fillLayer(cells, stored, level.layers[0]);
}

// A whole offset that fits an int32.
int32_t readOffset(const TiledLayer& layer, double offset, const char* member)
{
    if (offset != std::floor(offset)) {
        layer.place.fail(member, "image layer \"" + layer.name + "\" has a fractional offset");
    }
    if (offset < INT32_MIN || offset > INT32_MAX) {
        layer.place.fail(member, "image layer \"" + layer.name + "\" has an offset beyond 32 bits");
    }
    return static_cast<int32_t>(offset);
}

std::string sixDigits(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", value);
    return text;
}

// The engine scrolls a background by 10 x camera / divisor, so a factor F is the divisor
// n = round(10 / F), halves away from zero (std::round), and F = 0 is 0, a background that
// stays put. Tiled writes factors with six significant digits, so F is exactly 10 / n when
// its six-digit text is that of 10 / n; any other F is moved to 10 / n with a warning.
int16_t readDivisor(const TiledLayer& layer, double factor, const char* member,
                    std::vector<std::string>& warnings)
{
    const std::string name = "image layer \"" + layer.name + "\"";
    if (factor == 0) {
        return 0;
    }
    // Beyond 20 either way 10 / F rounds to 0, which would pin the background in place.
    if (factor > 20 || factor < -20) {
        layer.place.fail(member, name + " has a parallax factor " +
                                     (factor > 20 ? "above 20" : "below -20"));
    }
    const double divisor = std::round(10 / factor);
    if (divisor < INT16_MIN || divisor > INT16_MAX) {
        layer.place.fail(member, name + " has a parallax factor below 10 / 32767");
    }
    if (sixDigits(10 / divisor) != sixDigits(factor)) {
        char text[32];
        *std::to_chars(text, text + sizeof text - 1, factor).ptr = '\0';
        warnings.push_back(layer.place.file + ": warning: " + name + ": parallax factor " + text +
                           " is not 10/n; using 10/" + std::to_string(static_cast<int>(divisor)));
    }
    return static_cast<int16_t>(divisor);
}

void readBackground(const TiledLayer& layer, TiledLevel& out)
{
    LevelFile& level = out.level;
    if (level.backgrounds.size() == 255) {
        layer.place.fail("", "more than 255 backgrounds");
    }
    LevelBackgroundData background;
    long number = 0;
    const std::string name = baseName(layer.image);
    if (!imageNumber(name, "BG", 0, 255, number)) {
        layer.place.fail("image", "background image \"" + name +
                                      "\" is not named BG%04d.PNG with a number 0 to 255");
    }
    background.image = static_cast<uint8_t>(number);
    // The engine draws every background whole and plain.
    if (!layer.visible) {
        layer.place.fail("visible", "image layer \"" + layer.name + "\" is hidden");
    }
    if (layer.opacity != 1 || !layer.tint.empty()) {
        layer.place.fail(layer.opacity != 1 ? "opacity" : "tintcolor",
                         "image layer \"" + layer.name + "\" has opacity or a tint");
    }
    background.x = readOffset(layer, layer.offsetX, "offsetx");
    background.y = readOffset(layer, layer.offsetY, "offsety");
    background.xDivisor = readDivisor(layer, layer.parallaxX, "parallaxx", out.warnings);
    background.yDivisor = readDivisor(layer, layer.parallaxY, "parallaxy", out.warnings);
    static const char* const keys[] = {"000000", "ffffff", "ffff00"};
    if (const TiledProperty* property = findProperty(layer.properties, "colourkey")) {
        background.colorKey = static_cast<uint8_t>(intProperty(*property, 0, 255));
    } else if (layer.trans.empty()) {
        background.colorKey = 255;
    } else {
        const auto* key = std::find(std::begin(keys), std::end(keys), layer.trans);
        if (key == std::end(keys)) {
            layer.place.fail("transparentcolor", "image layer \"" + layer.name +
                                                     "\": transparent colour " + layer.trans +
                                                     " is not black, white or yellow");
        }
        background.colorKey = static_cast<uint8_t>(key - keys);
    }
    hexField(layer.properties, "reserved", background.reserved);
    level.backgrounds.push_back(background);
    out.backgroundPaths.push_back(besideFile(folderOf(layer.place.file), layer.image));
}

} // namespace

const TiledProperty* findProperty(const std::vector<TiledProperty>& list, const char* name)
{
    for (const TiledProperty& property : list) {
        if (property.name == name) {
            return &property;
        }
    }
    return nullptr;
}

int64_t intProperty(const TiledProperty& property, int64_t low, int64_t high)
{
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(property.value.c_str(), &end, 10);
    if (property.type != "int" || property.value.empty() || *end != '\0' || errno != 0) {
        property.invalid("not an int");
    }
    if (value < low || value > high) {
        property.invalid("not from " + std::to_string(low) + " to " + std::to_string(high));
    }
    return value;
}

bool firstLayerCells(const std::vector<int32_t>& table, const std::vector<int32_t>& tiles,
                     std::vector<int16_t>& cells)
{
    // Cells that read entry 0 become runs; the others the first entry holding their tile.
    std::map<int32_t, int16_t> index;
    for (size_t i = std::min<size_t>(table.size(), 256); i-- > 1;) {
        index[table[i]] = static_cast<int16_t>(i);
    }
    const int32_t runValue = table.empty() ? -1 : table[0];
    cells.clear();
    for (const int32_t tile : tiles) {
        const auto found = index.find(tile);
        if (tile != runValue && found == index.end()) {
            return false;
        }
        cells.push_back(tile == runValue ? kEmptyCell : found->second);
    }
    return true;
}

void levelFromTiledMap(const TiledMap& map, bool cutTiles, TiledLevel& out)
{
    LevelFile& level = out.level;
    const TiledTileset* tileset = map.tilesets.empty() ? nullptr : &map.tilesets[0];
    if (tileset && (tileset->offsetX != 0 || tileset->offsetY != 0)) {
        tileset->place.fail("tileoffset", "tileset \"" + tileset->name + "\" has a tile offset");
    }
    if (tileset && !tileset->image.empty()) {
        cutTileset(*tileset, cutTiles, out);
    } else if (tileset) {
        readTileset(*tileset, out);
    }
    const std::array<const TiledLayer*, 3> layers = pickTileLayers(map);
    for (const TiledLayer& layer : map.layers) {
        if (layer.kind == TiledLayer::Kind::Image) {
            readBackground(layer, out);
        }
    }
    readMapProperties(map.properties, level);
    const size_t tileCount = level.tileImages.size();
    readFirstLayer(layers[0], readCells(layers[0], 1, tileset, tileCount), level);
    readUpperLayer(layers[1], 2, readCells(layers[1], 2, tileset, tileCount), level);
    readUpperLayer(layers[2], 3, readCells(layers[2], 3, tileset, tileCount), level);
    for (int i = 0; i < 3; ++i) {
        if (layers[i]) {
            checkRuns(layers[i], i + 1, level.layers[i]);
        }
    }
    readMapExtension(map, level);
}

bool compileTiledMap(const std::string& path, bool cutTiles, TiledLevel& out, std::string& error)
{
    try {
        levelFromTiledMap(readTiledMap(path), cutTiles, out);
    } catch (const TiledError& failure) {
        error = failure.message;
        return false;
    }
    return true;
}

} // namespace tarvo
