// From a level file to a Tiled map and its tileset: the layers, tiles and backgrounds in
// Tiled's own terms, and in custom properties only what Tiled has no place for.
#include "levelformat.h"
#include "tiledmap.h"
#include "tiles/levelfile.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <pugixml.hpp>
#include <set>
#include <sstream>
#include <unistd.h>

bool writeFileAtomically(const std::string& path, const std::string& bytes)
{
    const std::string temporary = path + "." + std::to_string(getpid()) + ".part";
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (out && std::rename(temporary.c_str(), path.c_str()) == 0) {
        return true;
    }
    std::remove(temporary.c_str());
    return false;
}

namespace
{

template <typename Bytes>
std::string hex(const Bytes& bytes)
{
    return hexText(bytes.data(), bytes.size());
}

template <typename Bytes>
bool anyByte(const Bytes& bytes)
{
    return std::any_of(bytes.begin(), bytes.end(), [](uint8_t b) { return b != 0; });
}

class PropertyList
{
public:
    explicit PropertyList(pugi::xml_node owner) : owner(owner) {}

    void add(const char* name, const std::string& value, const char* type = nullptr)
    {
        if (!list) {
            list = owner.prepend_child("properties");
        }
        pugi::xml_node property = list.append_child("property");
        property.append_attribute("name") = name;
        if (type) {
            property.append_attribute("type") = type;
        }
        property.append_attribute("value") = value.c_str();
    }

    void addInt(const char* name, int64_t value) { add(name, std::to_string(value), "int"); }

    template <typename Bytes>
    void addBytes(const char* name, const Bytes& bytes, bool always)
    {
        if (always ? !bytes.empty() : anyByte(bytes)) {
            add(name, hex(bytes));
        }
    }

private:
    pugi::xml_node owner;
    pugi::xml_node list;
};

void writeMapProperties(pugi::xml_node map, const LevelFile& level)
{
    PropertyList properties(map);
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
}

// A tile number the tile set does not hold draws nothing, so it is written as an empty cell.
std::vector<uint32_t> layerGids(const LevelFile& level, int index)
{
    const LevelLayerData& layer = level.layers[index];
    std::vector<uint32_t> gids;
    for (const int16_t cell : layer.cells) {
        const int32_t tile = index == 0 ? translateCell(level, cell) : cell;
        const bool held = tile >= 0 && tile < static_cast<int32_t>(level.tileImages.size());
        gids.push_back(held ? static_cast<uint32_t>(tile) + 1 : 0);
    }
    return gids;
}

// Whether the reader, given the table, finds every cell as written: entry 0 for empty cells,
// else an entry a byte can index. Cells that read no tile are written empty, and a table
// without -1 cannot say them.
bool tableSaysCells(const std::vector<int32_t>& table, const std::vector<uint32_t>& gids)
{
    const int32_t runValue = table.empty() ? -1 : table[0];
    const auto end = table.begin() + static_cast<long>(std::min<size_t>(table.size(), 256));
    return std::all_of(gids.begin(), gids.end(), [&](uint32_t gid) {
        const int32_t tile = static_cast<int32_t>(gid) - 1;
        return tile == runValue ||
               (!table.empty() && std::find(table.begin() + 1, end, tile) != end);
    });
}

// The table is written only where the reader would not derive it from the cells, and only
// where it can say them; else the reader's own table gives the same tiles.
void writeTranslations(pugi::xml_node layer, const LevelFile& level,
                       const std::vector<uint32_t>& gids)
{
    std::set<uint32_t> used(gids.begin(), gids.end());
    used.erase(0);
    std::vector<int32_t> derived{-1};
    for (const uint32_t gid : used) {
        derived.push_back(static_cast<int32_t>(gid) - 1);
    }
    std::vector<int32_t> table;
    std::vector<uint8_t> extra;
    for (const LevelTranslationData& entry : level.translations) {
        table.push_back(entry.value);
        extra.insert(extra.end(), entry.reserved.begin(), entry.reserved.end());
    }
    if (table != derived && !tableSaysCells(table, gids)) {
        return;
    }
    PropertyList properties(layer);
    if (table != derived) {
        std::string text;
        for (const int32_t value : table) {
            text += (text.empty() ? "" : " ") + std::to_string(value);
        }
        properties.add("translation", text);
    }
    properties.addBytes("translationExtra", extra, false);
}

void writeTileLayer(pugi::xml_node map, int id, const LevelFile& level, int index)
{
    static const char* const names[] = {"first", "second", "third"};
    const LevelLayerData& data = level.layers[index];
    pugi::xml_node layer = map.append_child("layer");
    layer.append_attribute("id") = id;
    layer.append_attribute("name") = names[index];
    layer.append_attribute("width") = data.cols;
    layer.append_attribute("height") = data.rows;
    const std::vector<uint32_t> gids = layerGids(level, index);
    std::string csv;
    for (size_t i = 0; i < gids.size(); ++i) {
        csv += std::to_string(gids[i]);
        if (i + 1 < gids.size()) {
            csv += (i + 1) % static_cast<size_t>(data.cols) == 0 ? ",\n" : ",";
        }
    }
    pugi::xml_node element = layer.append_child("data");
    element.append_attribute("encoding") = "csv";
    element.text() = ("\n" + csv + "\n").c_str();
    if (index == 0) {
        writeTranslations(layer, level, gids);
    }
}

std::string parallax(int16_t divisor)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", divisor == 0 ? 0.0 : 10.0 / divisor);
    return text;
}

void writeBackground(pugi::xml_node map, int id, const LevelBackgroundData& background)
{
    pugi::xml_node layer = map.append_child("imagelayer");
    layer.append_attribute("id") = id;
    layer.append_attribute("name") = ("background " + std::to_string(id)).c_str();
    layer.append_attribute("offsetx") = background.x;
    layer.append_attribute("offsety") = background.y;
    layer.append_attribute("parallaxx") = parallax(background.xDivisor).c_str();
    layer.append_attribute("parallaxy") = parallax(background.yDivisor).c_str();
    // The engine repeats a horizontally scrolling background; Tiled only shows it so.
    if (background.xDivisor != 0) {
        layer.append_attribute("repeatx") = 1;
    }
    pugi::xml_node image = layer.append_child("image");
    char name[32];
    std::snprintf(name, sizeof name, "bg/BG%04d.PNG", background.image);
    image.append_attribute("source") = name;
    static const char* const keys[] = {"000000", "ffffff", "ffff00"};
    PropertyList properties(layer);
    if (background.colorKey < 3) {
        image.append_attribute("trans") = keys[background.colorKey];
    } else if (background.colorKey != 255) {
        properties.addInt("colourkey", background.colorKey);
    }
    properties.addBytes("reserved", background.reserved, false);
}

std::string documentText(const pugi::xml_document& document)
{
    std::ostringstream out;
    document.save(out, " ", pugi::format_default, pugi::encoding_utf8);
    return out.str();
}

std::string tilesetText(const LevelFile& level, const std::string& name)
{
    pugi::xml_document document;
    pugi::xml_node tileset = document.append_child("tileset");
    tileset.append_attribute("version") = "1.8";
    tileset.append_attribute("tiledversion") = "1.8.2";
    tileset.append_attribute("name") = name.c_str();
    tileset.append_attribute("tilewidth") = 24;
    tileset.append_attribute("tileheight") = 24;
    tileset.append_attribute("tilecount") = static_cast<unsigned>(level.tileImages.size());
    tileset.append_attribute("columns") = 0;
    pugi::xml_node grid = tileset.append_child("grid");
    grid.append_attribute("orientation") = "orthogonal";
    grid.append_attribute("width") = 1;
    grid.append_attribute("height") = 1;
    for (size_t i = 0; i < level.tileImages.size(); ++i) {
        pugi::xml_node tile = tileset.append_child("tile");
        tile.append_attribute("id") = static_cast<unsigned>(i);
        char source[32];
        std::snprintf(source, sizeof source, "tiles/TILE%04d.PNG", level.tileImages[i]);
        pugi::xml_node image = tile.append_child("image");
        image.append_attribute("width") = 24;
        image.append_attribute("height") = 24;
        image.append_attribute("source") = source;
    }
    return documentText(document);
}

} // namespace

bool writeTiledMap(const LevelFile& level, const std::string& path, const std::string& tilesetPath,
                   std::string& message)
{
    pugi::xml_document document;
    pugi::xml_node map = document.append_child("map");
    int16_t width = 0;
    int16_t height = 0;
    for (const LevelLayerData& layer : level.layers) {
        width = std::max(width, layer.cols);
        height = std::max(height, layer.rows);
    }
    const int layerCount = static_cast<int>(level.backgrounds.size()) + 3;
    const std::pair<const char*, std::string> attributes[] = {
        {"version", "1.8"},
        {"tiledversion", "1.8.2"},
        {"orientation", "orthogonal"},
        {"renderorder", "right-down"},
        {"width", std::to_string(width)},
        {"height", std::to_string(height)},
        {"tilewidth", "24"},
        {"tileheight", "24"},
        {"infinite", "0"},
        {"nextlayerid", std::to_string(layerCount + 1)},
        {"nextobjectid", "1"}};
    for (const auto& [name, value] : attributes) {
        map.append_attribute(name) = value.c_str();
    }
    pugi::xml_node tileset = map.append_child("tileset");
    tileset.append_attribute("firstgid") = 1;
    tileset.append_attribute("source") = baseName(tilesetPath).c_str();
    // Back to front, as Tiled stacks them: the backgrounds, then the third layer to the first.
    int id = 0;
    for (const LevelBackgroundData& background : level.backgrounds) {
        writeBackground(map, ++id, background);
    }
    for (int index = 2; index >= 0; --index) {
        writeTileLayer(map, ++id, level, index);
    }
    writeMapProperties(map, level);
    std::string name = baseName(tilesetPath);
    name = name.substr(0, name.rfind('.'));
    if (!writeFileAtomically(tilesetPath, tilesetText(level, name))) {
        message = tilesetPath + ": cannot write the tileset";
        return false;
    }
    if (!writeFileAtomically(path, documentText(document))) {
        message = path + ": cannot write the map";
        return false;
    }
    return true;
}
