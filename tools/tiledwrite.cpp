// From a level file to a Tiled map and its tileset: the layers, tiles and backgrounds in
// Tiled's own terms, and in custom properties only what Tiled has no place for. The map is
// described once, in the reader's structures, and written in either of Tiled's forms.
#include "tiledwrite.h"

#include "levelformat.h"
#include "output.h"
#include "tarvo/tiles/levelfile.h"
#include "tarvo/video/pngfile.h"
#include "tiles/tiledmap.h"

#include <algorithm>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <pugixml.hpp>
#include <set>
#include <sstream>

namespace tarvo
{

using nlohmann::json;

namespace
{

const char* const kFormatVersion = "1.8";
const char* const kTiledVersion = "1.8.2";
const char* const kColourKeys[] = {"000000", "ffffff", "ffff00"}; // colour keys 0, 1, 2

template <typename Bytes>
bool anyByte(const Bytes& bytes)
{
    return std::any_of(bytes.begin(), bytes.end(), [](uint8_t b) { return b != 0; });
}

class PropertyList
{
public:
    explicit PropertyList(std::vector<TiledProperty>& list) : list(list) {}

    void add(const char* name, const std::string& value, const char* type = "string")
    {
        list.push_back({TiledPlace(), name, type, value});
    }

    void addInt(const char* name, int64_t value) { add(name, std::to_string(value), "int"); }

    void addAll(const std::vector<Property>& kept)
    {
        static const char* const types[] = {"string", "int", "float", "bool"};
        for (const Property& property : kept) {
            list.push_back({TiledPlace(), property.name, types[static_cast<size_t>(property.type)],
                            property.value});
        }
    }

    template <typename Bytes>
    void addBytes(const char* name, const Bytes& bytes, bool always)
    {
        if (always ? !bytes.empty() : anyByte(bytes)) {
            add(name, hexText(bytes.data(), bytes.size()));
        }
    }

private:
    std::vector<TiledProperty>& list;
};

void addMapProperties(const LevelFile& level, PropertyList& properties)
{
    const int64_t values[] = {level.value1, level.value2, level.value3,
                              level.value4, level.value5, level.value6};
    for (int i = 0; i < 6; ++i) {
        if (values[i] != 0) {
            properties.addInt(("V" + std::to_string(i + 1)).c_str(), values[i]);
        }
    }
    const auto reserved2 = static_cast<uint16_t>(level.reserved2);
    const std::array<uint8_t, 2> reserved2Bytes{static_cast<uint8_t>(reserved2 & 0xFF),
                                                static_cast<uint8_t>(reserved2 >> 8)};
    properties.addBytes("header", level.header, false);
    properties.addBytes("block1", level.block1, true);
    properties.addBytes("reserved1", level.reserved1, false);
    properties.addBytes("reserved2", reserved2Bytes, false);
    properties.addBytes("reserved3", level.reserved3, false);
    std::vector<uint8_t> chunks;
    for (const LevelChunkData& chunk : level.chunks) {
        chunks.insert(chunks.end(), chunk.head.begin(), chunk.head.end());
        for (int shift = 0; shift < 32; shift += 8) {
            chunks.push_back(static_cast<uint8_t>(chunk.body.size() >> shift & 0xFF));
        }
        chunks.insert(chunks.end(), chunk.body.begin(), chunk.body.end());
    }
    properties.addBytes("chunks", chunks, true);
    const std::vector<uint8_t>* records[] = {&level.records2, &level.records3, &level.records4,
                                             &level.records5, &level.records6, &level.records7,
                                             &level.records8};
    for (int i = 0; i < 7; ++i) {
        properties.addBytes(("record" + std::to_string(i + 2)).c_str(), *records[i], true);
    }
    properties.addBytes("trailer", level.trailer, true);
    if (level.extension.collisionLayer != 2) {
        properties.addInt("collisionlayer", level.extension.collisionLayer);
    }
}

// The tile a stored cell shows, -1 where it reads no tile the tile set holds: Tiled would
// draw such a number as a red block, so the map shows the cell empty.
int32_t shownTile(const LevelFile& level, int index, int16_t cell)
{
    const int32_t tile = index == 0 ? translateCell(level, cell) : cell;
    return tile >= 0 && tile < static_cast<int32_t>(level.tileImages.size()) ? tile : -1;
}

std::string cellsText(const std::vector<int16_t>& cells)
{
    std::string text;
    for (const int16_t cell : cells) {
        text += (text.empty() ? "" : " ") +
                (cell == kEmptyCell ? std::string(".") : std::to_string(cell));
    }
    return text;
}

// The table is written only where the reader would not derive it from the tiles, and the
// stored cells only where the reader would not derive them from the tiles and the table.
void addCellProperties(const LevelFile& level, int index, const std::vector<int32_t>& tiles,
                       PropertyList& properties)
{
    std::vector<int16_t> derived;
    if (index == 0) {
        std::vector<int32_t> table;
        std::vector<uint8_t> extra;
        for (const LevelTranslationData& entry : level.translations) {
            table.push_back(entry.value);
            extra.insert(extra.end(), entry.reserved.begin(), entry.reserved.end());
        }
        std::set<int32_t> used(tiles.begin(), tiles.end());
        used.erase(-1);
        std::vector<int32_t> readerTable{-1};
        readerTable.insert(readerTable.end(), used.begin(), used.end());
        if (table != readerTable) {
            std::string text;
            for (const int32_t value : table) {
                text += (text.empty() ? "" : " ") + std::to_string(value);
            }
            properties.add("translation", text);
        }
        properties.addBytes("translationExtra", extra, false);
        if (!firstLayerCells(table, tiles, derived)) {
            derived.clear(); // some cell reads no entry the tiles can name
        }
    } else {
        for (const int32_t tile : tiles) {
            derived.push_back(tile < 0 ? kEmptyCell : static_cast<int16_t>(tile));
        }
    }
    if (derived != level.layers[index].cells) {
        properties.add("cells", cellsText(level.layers[index].cells));
    }
}

TiledLayer tileLayer(const LevelFile& level, int index)
{
    static const char* const names[] = {"first", "second", "third"};
    const LevelLayerData& data = level.layers[index];
    TiledLayer layer;
    layer.name = names[index];
    layer.width = data.cols;
    layer.height = data.rows;
    std::vector<int32_t> tiles;
    for (const int16_t cell : data.cells) {
        tiles.push_back(shownTile(level, index, cell));
        layer.data.gids.push_back(static_cast<uint32_t>(tiles.back() + 1));
    }
    PropertyList properties(layer.properties);
    addCellProperties(level, index, tiles, properties);
    return layer;
}

TiledLayer imageLayer(const LevelBackgroundData& background, int id)
{
    TiledLayer layer;
    layer.kind = TiledLayer::Kind::Image;
    layer.name = "background " + std::to_string(id);
    layer.offsetX = background.x;
    layer.offsetY = background.y;
    // The reader takes the divisor back as round(10 / factor).
    layer.parallaxX = background.xDivisor == 0 ? 0.0 : 10.0 / background.xDivisor;
    layer.parallaxY = background.yDivisor == 0 ? 0.0 : 10.0 / background.yDivisor;
    char name[32];
    std::snprintf(name, sizeof name, "bg/BG%04d.PNG", background.image);
    layer.image = name;
    PropertyList properties(layer.properties);
    if (background.colorKey < 3) {
        layer.trans = kColourKeys[background.colorKey];
    } else if (background.colorKey != 255) {
        properties.addInt("colourkey", background.colorKey);
    }
    properties.addBytes("reserved", background.reserved, false);
    return layer;
}

// Every object in one layer: the level keeps their order, not their layers.
TiledLayer objectLayer(const std::vector<LevelObject>& objects)
{
    TiledLayer layer;
    layer.kind = TiledLayer::Kind::Object;
    layer.name = "objects";
    for (const LevelObject& kept : objects) {
        TiledObject object;
        object.id = kept.id;
        object.name = kept.name;
        object.type = kept.type;
        object.x = kept.x;
        object.y = kept.y;
        object.width = kept.width;
        object.height = kept.height;
        object.gid = kept.tile < 0 ? -1 : kept.tile + 1;
        PropertyList(object.properties).addAll(kept.properties);
        layer.objects.push_back(object);
    }
    return layer;
}

// Back to front, as Tiled stacks them: the backgrounds, then the third layer to the first,
// then the objects.
TiledMap describeMap(const LevelFile& level)
{
    TiledMap map;
    for (const LevelBackgroundData& background : level.backgrounds) {
        map.layers.push_back(imageLayer(background, static_cast<int>(map.layers.size()) + 1));
    }
    for (int index = 2; index >= 0; --index) {
        map.layers.push_back(tileLayer(level, index));
    }
    if (!level.extension.objects.empty()) {
        map.layers.push_back(objectLayer(level.extension.objects));
    }
    PropertyList properties(map.properties);
    addMapProperties(level, properties);
    return map;
}

TiledTileset describeTileset(const LevelFile& level, const std::string& name)
{
    TiledTileset tileset;
    tileset.name = name;
    tileset.tileCount = static_cast<int64_t>(level.tileImages.size());
    for (size_t i = 0; i < level.tileImages.size(); ++i) {
        char image[32];
        std::snprintf(image, sizeof image, "tiles/TILE%04d.PNG", level.tileImages[i]);
        tileset.tiles.push_back({TiledPlace(), static_cast<int64_t>(i), image, {}, {}});
    }
    // The extension's tile numbers are the level's, checked to lie within its tiles.
    for (const LevelTileData& record : level.extension.tiles) {
        PropertyList properties(tileset.tiles[static_cast<size_t>(record.tile)].properties);
        const std::pair<const char*, bool> flags[] = {{"hazard", record.properties.hazard},
                                                      {"oneway", record.properties.oneway},
                                                      {"solid", record.properties.solid}};
        for (const auto& [name, set] : flags) {
            if (set) {
                properties.add(name, "true", "bool");
            }
        }
        properties.addAll(record.properties.custom);
    }
    for (const LevelAnimationData& animation : level.extension.animations) {
        for (const LevelFrameData& frame : animation.frames) {
            tileset.tiles[static_cast<size_t>(animation.tile)].animation.push_back(
                {TiledPlace(), frame.tile, frame.milliseconds});
        }
    }
    return tileset;
}

int64_t nextObjectId(const LevelFile& level)
{
    int64_t next = 1;
    for (const LevelObject& object : level.extension.objects) {
        next = std::max<int64_t>(next, int64_t{object.id} + 1);
    }
    return next;
}

// The map's size in tiles: its largest layer.
std::pair<int64_t, int64_t> mapSize(const TiledMap& map)
{
    std::pair<int64_t, int64_t> size;
    for (const TiledLayer& layer : map.layers) {
        size.first = std::max(size.first, layer.width);
        size.second = std::max(size.second, layer.height);
    }
    return size;
}

// The engine repeats a horizontally scrolling background; Tiled only shows it so.
bool repeatsX(const TiledLayer& layer)
{
    return layer.parallaxX != 0;
}

std::string factorText(double factor)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", factor);
    return text;
}

void appendAttributes(pugi::xml_node node,
                      std::initializer_list<std::pair<const char*, std::string>> attributes)
{
    for (const auto& [name, value] : attributes) {
        node.append_attribute(name) = value.c_str();
    }
}

void xmlProperties(pugi::xml_node owner, const std::vector<TiledProperty>& list)
{
    if (list.empty()) {
        return;
    }
    pugi::xml_node properties = owner.append_child("properties");
    for (const TiledProperty& property : list) {
        pugi::xml_node node = properties.append_child("property");
        node.append_attribute("name") = property.name.c_str();
        if (property.type != "string") {
            node.append_attribute("type") = property.type.c_str();
        }
        node.append_attribute("value") = property.value.c_str();
    }
}

void xmlObjectLayer(pugi::xml_node map, const TiledLayer& layer, int id)
{
    pugi::xml_node node = map.append_child("objectgroup");
    appendAttributes(node, {{"id", std::to_string(id)}, {"name", layer.name}});
    for (const TiledObject& object : layer.objects) {
        pugi::xml_node element = node.append_child("object");
        element.append_attribute("id") = static_cast<long long>(object.id);
        for (const auto& [name, value] :
             {std::pair{"name", &object.name}, {"type", &object.type}}) {
            if (!value->empty()) {
                element.append_attribute(name) = value->c_str();
            }
        }
        if (object.gid >= 0) {
            element.append_attribute("gid") = static_cast<long long>(object.gid);
        }
        for (const auto& [name, value] : {std::pair{"x", object.x},
                                          {"y", object.y},
                                          {"width", object.width},
                                          {"height", object.height}}) {
            element.append_attribute(name) = static_cast<long long>(value);
        }
        xmlProperties(element, object.properties);
    }
}

void xmlLayer(pugi::xml_node map, const TiledLayer& layer, int id)
{
    if (layer.kind == TiledLayer::Kind::Object) {
        xmlObjectLayer(map, layer, id);
        return;
    }
    const bool image = layer.kind == TiledLayer::Kind::Image;
    pugi::xml_node node = map.append_child(image ? "imagelayer" : "layer");
    appendAttributes(node, {{"id", std::to_string(id)}, {"name", layer.name}});
    if (image) {
        appendAttributes(node, {{"offsetx", std::to_string(static_cast<int64_t>(layer.offsetX))},
                                {"offsety", std::to_string(static_cast<int64_t>(layer.offsetY))},
                                {"parallaxx", factorText(layer.parallaxX)},
                                {"parallaxy", factorText(layer.parallaxY)}});
        if (repeatsX(layer)) {
            node.append_attribute("repeatx") = 1;
        }
    } else {
        appendAttributes(node, {{"width", std::to_string(layer.width)},
                                {"height", std::to_string(layer.height)}});
    }
    xmlProperties(node, layer.properties);
    if (image) {
        pugi::xml_node element = node.append_child("image");
        element.append_attribute("source") = layer.image.c_str();
        if (!layer.trans.empty()) {
            element.append_attribute("trans") = layer.trans.c_str();
        }
        return;
    }
    std::string csv;
    const std::vector<uint32_t>& gids = layer.data.gids;
    for (size_t i = 0; i < gids.size(); ++i) {
        csv += std::to_string(gids[i]);
        if (i + 1 < gids.size()) {
            csv += (i + 1) % static_cast<size_t>(layer.width) == 0 ? ",\n" : ",";
        }
    }
    pugi::xml_node data = node.append_child("data");
    data.append_attribute("encoding") = "csv";
    data.text() = ("\n" + csv + "\n").c_str();
}

std::string xmlText(const pugi::xml_document& document)
{
    std::ostringstream out;
    document.save(out, " ", pugi::format_default, pugi::encoding_utf8);
    return out.str();
}

std::string xmlMap(const TiledMap& map, const std::string& tilesetSource, int64_t nextObject)
{
    pugi::xml_document document;
    pugi::xml_node node = document.append_child("map");
    const auto [width, height] = mapSize(map);
    appendAttributes(node, {{"version", kFormatVersion},
                            {"tiledversion", kTiledVersion},
                            {"orientation", "orthogonal"},
                            {"renderorder", "right-down"},
                            {"width", std::to_string(width)},
                            {"height", std::to_string(height)},
                            {"tilewidth", std::to_string(kTiledTileSize)},
                            {"tileheight", std::to_string(kTiledTileSize)},
                            {"infinite", "0"},
                            {"nextlayerid", std::to_string(map.layers.size() + 1)},
                            {"nextobjectid", std::to_string(nextObject)}});
    xmlProperties(node, map.properties);
    pugi::xml_node tileset = node.append_child("tileset");
    tileset.append_attribute("firstgid") = 1;
    tileset.append_attribute("source") = tilesetSource.c_str();
    for (size_t i = 0; i < map.layers.size(); ++i) {
        xmlLayer(node, map.layers[i], static_cast<int>(i) + 1);
    }
    return xmlText(document);
}

std::string xmlTileset(const TiledTileset& tileset)
{
    pugi::xml_document document;
    pugi::xml_node node = document.append_child("tileset");
    appendAttributes(node, {{"version", kFormatVersion},
                            {"tiledversion", kTiledVersion},
                            {"name", tileset.name},
                            {"tilewidth", std::to_string(kTiledTileSize)},
                            {"tileheight", std::to_string(kTiledTileSize)},
                            {"tilecount", std::to_string(tileset.tileCount)},
                            {"columns", "0"}});
    pugi::xml_node grid = node.append_child("grid");
    appendAttributes(grid, {{"orientation", "orthogonal"}, {"width", "1"}, {"height", "1"}});
    for (const TiledTile& tile : tileset.tiles) {
        pugi::xml_node element = node.append_child("tile");
        element.append_attribute("id") = static_cast<long long>(tile.id);
        xmlProperties(element, tile.properties);
        pugi::xml_node image = element.append_child("image");
        appendAttributes(image, {{"width", std::to_string(kTiledTileSize)},
                                 {"height", std::to_string(kTiledTileSize)},
                                 {"source", tile.image}});
        if (!tile.animation.empty()) {
            pugi::xml_node animation = element.append_child("animation");
            for (const TiledFrame& frame : tile.animation) {
                pugi::xml_node child = animation.append_child("frame");
                child.append_attribute("tileid") = static_cast<long long>(frame.tileId);
                child.append_attribute("duration") = static_cast<long long>(frame.duration);
            }
        }
    }
    return xmlText(document);
}

// A float's text goes out as a JSON number when the number reads back as the same text, and
// as a string, which the reader also takes, when it would not (1e5 comes back as 100000.0).
json jsonValue(const TiledProperty& property)
{
    if (property.type == "int") {
        return std::stoll(property.value);
    }
    if (property.type == "bool") {
        return property.value == "true";
    }
    if (property.type == "float") {
        const json number = json::parse(property.value, nullptr, false);
        if (number.is_number() && number.dump() == property.value) {
            return number;
        }
    }
    return property.value;
}

json jsonProperties(const std::vector<TiledProperty>& list)
{
    json properties = json::array();
    for (const TiledProperty& property : list) {
        properties.push_back(
            {{"name", property.name}, {"type", property.type}, {"value", jsonValue(property)}});
    }
    return properties;
}

json jsonObjects(const std::vector<TiledObject>& objects)
{
    json list = json::array();
    for (const TiledObject& object : objects) {
        json node = {{"id", object.id},
                     {"name", object.name},
                     {"type", object.type},
                     {"x", static_cast<int64_t>(object.x)},
                     {"y", static_cast<int64_t>(object.y)},
                     {"width", static_cast<int64_t>(object.width)},
                     {"height", static_cast<int64_t>(object.height)},
                     {"rotation", 0},
                     {"visible", true}};
        if (object.gid >= 0) {
            node["gid"] = object.gid;
        }
        if (!object.properties.empty()) {
            node["properties"] = jsonProperties(object.properties);
        }
        list.push_back(node);
    }
    return list;
}

json jsonLayer(const TiledLayer& layer, int id)
{
    json node = {{"id", id}, {"name", layer.name}, {"opacity", 1}, {"visible", true}, {"x", 0},
                 {"y", 0}};
    if (layer.kind == TiledLayer::Kind::Object) {
        node.update({{"type", "objectgroup"},
                     {"draworder", "topdown"},
                     {"objects", jsonObjects(layer.objects)}});
    } else if (layer.kind == TiledLayer::Kind::Image) {
        node.update({{"type", "imagelayer"},
                     {"image", layer.image},
                     {"offsetx", static_cast<int64_t>(layer.offsetX)},
                     {"offsety", static_cast<int64_t>(layer.offsetY)},
                     {"parallaxx", layer.parallaxX},
                     {"parallaxy", layer.parallaxY}});
        if (repeatsX(layer)) {
            node["repeatx"] = true;
        }
        if (!layer.trans.empty()) {
            node["transparentcolor"] = "#" + layer.trans;
        }
    } else {
        node.update({{"type", "tilelayer"},
                     {"width", layer.width},
                     {"height", layer.height},
                     {"data", layer.data.gids}});
    }
    if (!layer.properties.empty()) {
        node["properties"] = jsonProperties(layer.properties);
    }
    return node;
}

std::string jsonMap(const TiledMap& map, const std::string& tilesetSource, int64_t nextObject)
{
    const auto [width, height] = mapSize(map);
    json layers = json::array();
    for (size_t i = 0; i < map.layers.size(); ++i) {
        layers.push_back(jsonLayer(map.layers[i], static_cast<int>(i) + 1));
    }
    json node = {{"type", "map"},
                 {"version", kFormatVersion},
                 {"tiledversion", kTiledVersion},
                 {"orientation", "orthogonal"},
                 {"renderorder", "right-down"},
                 {"width", width},
                 {"height", height},
                 {"tilewidth", kTiledTileSize},
                 {"tileheight", kTiledTileSize},
                 {"infinite", false},
                 {"compressionlevel", -1},
                 {"nextlayerid", map.layers.size() + 1},
                 {"nextobjectid", nextObject},
                 {"tilesets", json::array({{{"firstgid", 1}, {"source", tilesetSource}}})},
                 {"layers", layers}};
    if (!map.properties.empty()) {
        node["properties"] = jsonProperties(map.properties);
    }
    return node.dump(1) + "\n";
}

std::string jsonTileset(const TiledTileset& tileset)
{
    json tiles = json::array();
    for (const TiledTile& tile : tileset.tiles) {
        json node = {{"id", tile.id},
                     {"image", tile.image},
                     {"imagewidth", kTiledTileSize},
                     {"imageheight", kTiledTileSize}};
        if (!tile.properties.empty()) {
            node["properties"] = jsonProperties(tile.properties);
        }
        for (const TiledFrame& frame : tile.animation) {
            node["animation"].push_back({{"tileid", frame.tileId}, {"duration", frame.duration}});
        }
        tiles.push_back(node);
    }
    const json node = {{"type", "tileset"},
                       {"version", kFormatVersion},
                       {"tiledversion", kTiledVersion},
                       {"name", tileset.name},
                       {"tilewidth", kTiledTileSize},
                       {"tileheight", kTiledTileSize},
                       {"tilecount", tileset.tileCount},
                       {"columns", 0},
                       {"margin", 0},
                       {"spacing", 0},
                       {"grid", {{"orientation", "orthogonal"}, {"width", 1}, {"height", 1}}},
                       {"tiles", tiles}};
    return node.dump(1) + "\n";
}

} // namespace

bool writeTiledMap(const LevelFile& level, const std::string& path, const std::string& tilesetPath,
                   std::string& message)
{
    const std::string source = baseName(tilesetPath);
    const TiledTileset tileset = describeTileset(level, source.substr(0, source.rfind('.')));
    const TiledMap map = describeMap(level);
    const std::string tilesetText =
        isJsonPath(tilesetPath) ? jsonTileset(tileset) : xmlTileset(tileset);
    if (!writeFileAtomically(tilesetPath, tilesetText)) {
        message = tilesetPath + ": cannot write the tileset";
        return false;
    }
    const int64_t nextObject = nextObjectId(level);
    const std::string mapText =
        isJsonPath(path) ? jsonMap(map, source, nextObject) : xmlMap(map, source, nextObject);
    if (!writeFileAtomically(path, mapText)) {
        message = path + ": cannot write the map";
        return false;
    }
    return true;
}

bool writeCutTiles(const std::vector<std::vector<uint8_t>>& tiles, const std::string& folder,
                   RunOutput& output, std::string& message)
{
    if (!output.makeFolder(folder, message)) {
        return false;
    }
    for (size_t id = 0; id < tiles.size(); ++id) {
        char name[32];
        std::snprintf(name, sizeof name, "/TILE%04d.PNG", static_cast<int>(id));
        output.adding(folder + name);
        if (!writePng(folder + name, tiles[id].data(), kTiledTileSize, kTiledTileSize, 4)) {
            message = folder + name + ": cannot write the tile";
            return false;
        }
    }
    return true;
}

} // namespace tarvo
