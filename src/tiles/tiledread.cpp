// Reading Tiled's two map forms, TMX through pugixml and JSON through nlohmann-json, into one
// description, each element keeping its place in the file for the messages.
#include "tarvo/tiles/level.h"
#include "tiles/tiledmap.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <nlohmann/json.hpp>
#include <pugixml.hpp>
#include <sstream>
#include <zlib.h>

namespace tarvo
{

using nlohmann::json;

std::string TiledPlace::at(const std::string& member) const
{
    if (!isJson) {
        return file + ":" + std::to_string(line);
    }
    return file + ": " + pointer + (member.empty() ? "" : "/" + member);
}

void TiledPlace::fail(const std::string& member, const std::string& message) const
{
    throw TiledError{at(member) + ": " + message};
}

void TiledProperty::invalid(const std::string& why) const
{
    place.fail("value", "property " + name + " is not valid: " + why);
}

namespace
{

std::string readWholeFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw TiledError{path + ": cannot open the file"};
    }
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// Extensions in any case, as file names travel between systems that ignore it.
bool hasExtension(const std::string& path, const std::string& extension)
{
    return path.size() >= extension.size() &&
           std::equal(
               extension.begin(), extension.end(), path.end() - extension.size(),
               [](char a, char b) { return a == std::tolower(static_cast<unsigned char>(b)); });
}

// Checked before the layers are read: a map that fails them may hold its layers in a form the
// reader does not know, such as an infinite map's chunks.
void checkMapHeader(const TiledPlace& place, const std::string& orientation, bool infinite,
                    int64_t tileWidth, int64_t tileHeight)
{
    if (orientation != "orthogonal") {
        place.fail("orientation", "orientation \"" + orientation + "\" is not supported");
    }
    if (infinite) {
        place.fail("infinite", "infinite maps are not supported");
    }
    checkTileSize(place, tileWidth, tileHeight);
}

// A tileset's colour "#aarrggbb" or "#rrggbb" as "rrggbb".
std::string plainColour(std::string colour)
{
    if (!colour.empty() && colour[0] == '#') {
        colour.erase(0, 1);
    }
    if (colour.size() == 8) {
        colour.erase(0, 2);
    }
    for (char& c : colour) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return colour;
}

// TMX: attributes are text, so numbers are checked as they are read.
class XmlReader
{
public:
    XmlReader(const std::string& path) : path(path), bytes(readWholeFile(path))
    {
        lineStarts.push_back(0);
        for (size_t i = 0; i < bytes.size(); ++i) {
            if (bytes[i] == '\n') {
                lineStarts.push_back(static_cast<ptrdiff_t>(i + 1));
            }
        }
        const pugi::xml_parse_result result = document.load_buffer(bytes.data(), bytes.size());
        if (!result) {
            throw TiledError{path + ":" + std::to_string(lineAt(result.offset)) + ": syntax error"};
        }
    }

    pugi::xml_node root(const char* name)
    {
        const pugi::xml_node node = document.child(name);
        if (!node) {
            throw TiledError{path + ":1: no <" + std::string(name) + "> element"};
        }
        return node;
    }

    TiledPlace place(const pugi::xml_node& node) const
    {
        TiledPlace place;
        place.file = path;
        place.line = lineAt(node.offset_debug());
        return place;
    }

    int64_t integer(const pugi::xml_node& node, const char* name, int64_t fallback) const
    {
        const pugi::xml_attribute attribute = node.attribute(name);
        if (!attribute) {
            return fallback;
        }
        const char* text = attribute.value();
        char* end = nullptr;
        errno = 0;
        const long long value = std::strtoll(text, &end, 10);
        if (*text == '\0' || *end != '\0' || errno != 0) {
            place(node).fail(name, std::string(name) + " \"" + text + "\" is not a whole number");
        }
        return value;
    }

    double number(const pugi::xml_node& node, const char* name, double fallback) const
    {
        const pugi::xml_attribute attribute = node.attribute(name);
        if (!attribute) {
            return fallback;
        }
        const char* text = attribute.value();
        char* end = nullptr;
        const double value = std::strtod(text, &end);
        if (*text == '\0' || *end != '\0' || !std::isfinite(value)) {
            place(node).fail(name, std::string(name) + " \"" + text + "\" is not a number");
        }
        return value;
    }

    std::vector<TiledProperty> properties(const pugi::xml_node& node) const
    {
        std::vector<TiledProperty> list;
        for (const pugi::xml_node property : node.child("properties").children("property")) {
            const pugi::xml_attribute value = property.attribute("value");
            // Multi-line strings are written as the element's text.
            list.push_back({place(property), property.attribute("name").value(),
                            property.attribute("type").as_string("string"),
                            value ? value.value() : property.child_value()});
        }
        return list;
    }

    TiledLayer tileLayer(const pugi::xml_node& node) const
    {
        TiledLayer layer = commonLayer(node, TiledLayer::Kind::Tile);
        layer.width = integer(node, "width", 0);
        layer.height = integer(node, "height", 0);
        const pugi::xml_node data = node.child("data");
        if (!data) {
            place(node).fail("", "layer \"" + layer.name + "\" has no data");
        }
        layer.data.place = place(data);
        layer.data.encoding = data.attribute("encoding").as_string("xml");
        layer.data.compression = data.attribute("compression").value();
        layer.data.text = data.child_value();
        return layer;
    }

    TiledLayer imageLayer(const pugi::xml_node& node) const
    {
        TiledLayer layer = commonLayer(node, TiledLayer::Kind::Image);
        const pugi::xml_node image = node.child("image");
        layer.image = image.attribute("source").value();
        layer.trans = plainColour(image.attribute("trans").value());
        return layer;
    }

    TiledLayer commonLayer(const pugi::xml_node& node, TiledLayer::Kind kind) const
    {
        TiledLayer layer;
        layer.place = place(node);
        layer.kind = kind;
        layer.name = node.attribute("name").value();
        layer.offsetX = number(node, "offsetx", 0);
        layer.offsetY = number(node, "offsety", 0);
        layer.parallaxX = number(node, "parallaxx", 1);
        layer.parallaxY = number(node, "parallaxy", 1);
        layer.visible = integer(node, "visible", 1) != 0;
        layer.opacity = number(node, "opacity", 1);
        layer.tint = node.attribute("tintcolor").value();
        layer.properties = properties(node);
        return layer;
    }

    TiledTileset tileset(const pugi::xml_node& node, int64_t firstGid) const
    {
        TiledTileset tileset;
        tileset.place = place(node);
        tileset.name = node.attribute("name").value();
        tileset.firstGid = firstGid;
        const pugi::xml_node offset = node.child("tileoffset");
        tileset.offsetX = integer(offset, "x", 0);
        tileset.offsetY = integer(offset, "y", 0);
        tileset.tileWidth = integer(node, "tilewidth", 0);
        tileset.tileHeight = integer(node, "tileheight", 0);
        tileset.tileCount = integer(node, "tilecount", 0);
        tileset.columns = integer(node, "columns", 0);
        tileset.margin = integer(node, "margin", 0);
        tileset.spacing = integer(node, "spacing", 0);
        tileset.folder = folderOf(path);
        tileset.image = node.child("image").attribute("source").value();
        tileset.trans = plainColour(node.child("image").attribute("trans").value());
        for (const pugi::xml_node tile : node.children("tile")) {
            std::vector<TiledFrame> frames;
            for (const pugi::xml_node frame : tile.child("animation").children("frame")) {
                frames.push_back(
                    {place(frame), integer(frame, "tileid", 0), integer(frame, "duration", 0)});
            }
            tileset.tiles.push_back({place(tile), integer(tile, "id", 0),
                                     tile.child("image").attribute("source").value(),
                                     properties(tile), frames});
        }
        return tileset;
    }

    TiledObject object(const pugi::xml_node& node) const
    {
        TiledObject object;
        object.place = place(node);
        object.id = integer(node, "id", 0);
        object.name = node.attribute("name").value();
        object.type = node.attribute(node.attribute("type") ? "type" : "class").value();
        object.x = number(node, "x", 0);
        object.y = number(node, "y", 0);
        object.width = number(node, "width", 0);
        object.height = number(node, "height", 0);
        object.rotation = number(node, "rotation", 0);
        object.gid = integer(node, "gid", -1);
        object.templateFile = node.attribute("template").value();
        static const std::pair<const char*, TiledObject::Shape> shapes[] = {
            {"ellipse", TiledObject::Shape::Ellipse},
            {"point", TiledObject::Shape::Point},
            {"polygon", TiledObject::Shape::Polygon},
            {"polyline", TiledObject::Shape::Polyline},
            {"text", TiledObject::Shape::Text}};
        for (const auto& [name, shape] : shapes) {
            if (node.child(name)) {
                object.shape = shape;
            }
        }
        object.properties = properties(node);
        return object;
    }

    void layers(const pugi::xml_node& parent, TiledMap& map) const
    {
        for (const pugi::xml_node node : parent.children()) {
            const std::string name = node.name();
            if (name == "layer") {
                map.layers.push_back(tileLayer(node));
            } else if (name == "imagelayer") {
                map.layers.push_back(imageLayer(node));
            } else if (name == "objectgroup" || name == "group") {
                TiledLayer layer = commonLayer(node, name == "group" ? TiledLayer::Kind::Group
                                                                     : TiledLayer::Kind::Object);
                for (const pugi::xml_node child : node.children("object")) {
                    layer.objects.push_back(object(child));
                }
                map.layers.push_back(layer);
            } else if (name == "tileset") {
                if (!map.tilesets.empty()) {
                    place(node).fail("", "more than one tileset");
                }
                const int64_t firstGid = integer(node, "firstgid", 1);
                const char* source = node.attribute("source").value();
                map.tilesets.push_back(*source ? readTilesetFile(folderOf(path) + source, firstGid)
                                               : tileset(node, firstGid));
            }
        }
    }

    TiledMap map()
    {
        const pugi::xml_node node = root("map");
        TiledMap map;
        map.place = place(node);
        checkMapHeader(map.place, node.attribute("orientation").value(),
                       integer(node, "infinite", 0) != 0, integer(node, "tilewidth", 0),
                       integer(node, "tileheight", 0));
        map.properties = properties(node);
        layers(node, map);
        return map;
    }

private:
    // Binary search over the line starts: a map can hold tens of thousands of elements.
    int lineAt(ptrdiff_t offset) const
    {
        return static_cast<int>(
            std::upper_bound(lineStarts.begin(), lineStarts.end(), std::max<ptrdiff_t>(0, offset)) -
            lineStarts.begin());
    }

    std::string path;
    std::string bytes;
    std::vector<ptrdiff_t> lineStarts;
    pugi::xml_document document;
};

// Where the JSON library stops reading a document it refuses. A number too large for a double
// throws without a place, so a document that fails is read again by this to find it.
class JsonStop : public nlohmann::json_sax<json>
{
public:
    size_t byte = 0;

    bool null() override { return true; }
    bool boolean(bool) override { return true; }
    bool number_integer(number_integer_t) override { return true; }
    bool number_unsigned(number_unsigned_t) override { return true; }
    bool number_float(number_float_t, const string_t&) override { return true; }
    bool string(string_t&) override { return true; }
    bool binary(binary_t&) override { return true; }
    bool start_object(size_t) override { return true; }
    bool key(string_t&) override { return true; }
    bool end_object() override { return true; }
    bool start_array(size_t) override { return true; }
    bool end_array() override { return true; }
    bool parse_error(size_t position, const std::string&, const json::exception&) override
    {
        byte = position;
        return false;
    }
};

json parseJson(const std::string& path)
{
    const std::string text = readWholeFile(path);
    std::string why;
    try {
        return json::parse(text);
    } catch (const json::out_of_range&) {
        why = "number out of range";
    } catch (const json::exception&) {
        why = "syntax error";
    }
    JsonStop stop;
    json::sax_parse(text, &stop);
    throw TiledError{path + ": byte " + std::to_string(stop.byte) + ": " + why};
}

// JSON: every member is checked for its type, and named by its pointer when it is wrong.
class JsonReader
{
public:
    explicit JsonReader(const std::string& path) : path(path), document(parseJson(path)) {}

    TiledPlace place(const std::string& pointer) const
    {
        TiledPlace place;
        place.file = path;
        place.pointer = pointer;
        place.isJson = true;
        return place;
    }

    static const json* member(const json& object, const TiledPlace& at, const char* name)
    {
        if (!object.is_object()) {
            at.fail("", "expected an object");
        }
        const auto found = object.find(name);
        return found == object.end() ? nullptr : &*found;
    }

    static int64_t integer(const json& object, const TiledPlace& at, const char* name,
                           int64_t fallback)
    {
        const json* value = member(object, at, name);
        if (!value) {
            return fallback;
        }
        if (!value->is_number_integer() ||
            (value->is_number_unsigned() && value->get<uint64_t>() > INT64_MAX)) {
            at.fail(name, "expected a whole number");
        }
        return value->get<int64_t>();
    }

    // A member of the type is() accepts, or fallback when the member is absent.
    template <typename T>
    static T typed(const json& object, const TiledPlace& at, const char* name, T fallback,
                   bool (json::*is)() const noexcept, const char* expected)
    {
        const json* value = member(object, at, name);
        if (!value) {
            return fallback;
        }
        if (!(value->*is)()) {
            at.fail(name, std::string("expected ") + expected);
        }
        return value->get<T>();
    }

    static double number(const json& object, const TiledPlace& at, const char* name,
                         double fallback)
    {
        return typed(object, at, name, fallback, &json::is_number, "a number");
    }

    static bool boolean(const json& object, const TiledPlace& at, const char* name, bool fallback)
    {
        return typed(object, at, name, fallback, &json::is_boolean, "true or false");
    }

    static std::string text(const json& object, const TiledPlace& at, const char* name,
                            const char* fallback = "")
    {
        return typed<std::string>(object, at, name, fallback, &json::is_string, "a string");
    }

    static const json& array(const json& object, const TiledPlace& at, const char* name)
    {
        static const json empty = json::array();
        const json* value = member(object, at, name);
        if (value && !value->is_array()) {
            at.fail(name, "expected an array");
        }
        return value ? *value : empty;
    }

    std::vector<TiledProperty> properties(const json& object, const TiledPlace& at) const
    {
        std::vector<TiledProperty> list;
        const json& entries = array(object, at, "properties");
        for (size_t i = 0; i < entries.size(); ++i) {
            const TiledPlace entry = place(at.pointer + "/properties/" + std::to_string(i));
            TiledProperty property{entry, text(entries[i], entry, "name"),
                                   text(entries[i], entry, "type", "string"), ""};
            // Values are kept as text; a nested value is never turned into text, however deep.
            const json* value = member(entries[i], entry, "value");
            if (value && value->is_string()) {
                property.value = value->get<std::string>();
            } else if (value && (value->is_number() || value->is_boolean())) {
                property.value = value->dump();
            } else if (value) {
                property.invalid("not a string, number or boolean");
            }
            list.push_back(property);
        }
        return list;
    }

    TiledLayer layer(const json& object, const TiledPlace& at) const
    {
        TiledLayer layer;
        layer.place = at;
        const std::string type = text(object, at, "type");
        layer.kind = type == "tilelayer"    ? TiledLayer::Kind::Tile
                     : type == "imagelayer" ? TiledLayer::Kind::Image
                     : type == "group"      ? TiledLayer::Kind::Group
                                            : TiledLayer::Kind::Object;
        if (layer.kind == TiledLayer::Kind::Object && type != "objectgroup") {
            at.fail("type", "layer type \"" + type + "\" is not known");
        }
        layer.name = text(object, at, "name");
        layer.offsetX = number(object, at, "offsetx", 0);
        layer.offsetY = number(object, at, "offsety", 0);
        layer.parallaxX = number(object, at, "parallaxx", 1);
        layer.parallaxY = number(object, at, "parallaxy", 1);
        layer.visible = boolean(object, at, "visible", true);
        layer.opacity = number(object, at, "opacity", 1);
        layer.tint = text(object, at, "tintcolor");
        layer.properties = properties(object, at);
        layer.image = text(object, at, "image");
        layer.trans = plainColour(text(object, at, "transparentcolor"));
        if (layer.kind == TiledLayer::Kind::Tile) {
            layer.width = integer(object, at, "width", 0);
            layer.height = integer(object, at, "height", 0);
            data(object, at, layer.data);
        }
        const json& objects = array(object, at, "objects");
        for (size_t i = 0; i < objects.size(); ++i) {
            layer.objects.push_back(
                mapObject(objects[i], place(at.pointer + "/objects/" + std::to_string(i))));
        }
        return layer;
    }

    TiledObject mapObject(const json& node, const TiledPlace& at) const
    {
        TiledObject object;
        object.place = at;
        object.id = integer(node, at, "id", 0);
        object.name = text(node, at, "name");
        object.type = text(node, at, member(node, at, "type") ? "type" : "class");
        object.x = number(node, at, "x", 0);
        object.y = number(node, at, "y", 0);
        object.width = number(node, at, "width", 0);
        object.height = number(node, at, "height", 0);
        object.rotation = number(node, at, "rotation", 0);
        object.gid = integer(node, at, "gid", -1);
        object.templateFile = text(node, at, "template");
        static const std::pair<const char*, TiledObject::Shape> shapes[] = {
            {"polygon", TiledObject::Shape::Polygon},
            {"polyline", TiledObject::Shape::Polyline},
            {"text", TiledObject::Shape::Text}};
        if (boolean(node, at, "ellipse", false)) {
            object.shape = TiledObject::Shape::Ellipse;
        }
        if (boolean(node, at, "point", false)) {
            object.shape = TiledObject::Shape::Point;
        }
        for (const auto& [name, shape] : shapes) {
            if (member(node, at, name)) {
                object.shape = shape;
            }
        }
        object.properties = properties(node, at);
        return object;
    }

    static void data(const json& object, const TiledPlace& at, TiledData& data)
    {
        data.place = at;
        data.encoding = text(object, at, "encoding", "csv");
        data.compression = text(object, at, "compression");
        const json* value = member(object, at, "data");
        if (!value) {
            at.fail("", "a tile layer needs data");
        }
        data.isArray = value->is_array();
        if (value->is_string()) {
            data.text = value->get<std::string>();
        } else if (!data.isArray) {
            at.fail("data", "expected an array or a string");
        }
        for (const json& gid : data.isArray ? *value : json::array()) {
            if (!gid.is_number_unsigned() || gid.get<uint64_t>() > UINT32_MAX) {
                at.fail("data", "expected gids from 0 to 4294967295");
            }
            data.gids.push_back(gid.get<uint32_t>());
        }
    }

    TiledTileset tileset(const json& object, const TiledPlace& at, int64_t firstGid) const
    {
        TiledTileset tileset;
        tileset.place = at;
        tileset.name = text(object, at, "name");
        tileset.firstGid = firstGid;
        if (const json* offset = member(object, at, "tileoffset")) {
            const TiledPlace offsetAt = place(at.pointer + "/tileoffset");
            tileset.offsetX = integer(*offset, offsetAt, "x", 0);
            tileset.offsetY = integer(*offset, offsetAt, "y", 0);
        }
        tileset.tileWidth = integer(object, at, "tilewidth", 0);
        tileset.tileHeight = integer(object, at, "tileheight", 0);
        tileset.tileCount = integer(object, at, "tilecount", 0);
        tileset.columns = integer(object, at, "columns", 0);
        tileset.margin = integer(object, at, "margin", 0);
        tileset.spacing = integer(object, at, "spacing", 0);
        tileset.folder = folderOf(path);
        tileset.image = text(object, at, "image");
        tileset.trans = plainColour(text(object, at, "transparentcolor"));
        const json& tiles = array(object, at, "tiles");
        for (size_t i = 0; i < tiles.size(); ++i) {
            const TiledPlace tile = place(at.pointer + "/tiles/" + std::to_string(i));
            const json& animation = array(tiles[i], tile, "animation");
            std::vector<TiledFrame> frames;
            for (size_t f = 0; f < animation.size(); ++f) {
                const TiledPlace frame = place(tile.pointer + "/animation/" + std::to_string(f));
                frames.push_back({frame, integer(animation[f], frame, "tileid", 0),
                                  integer(animation[f], frame, "duration", 0)});
            }
            tileset.tiles.push_back({tile, integer(tiles[i], tile, "id", 0),
                                     text(tiles[i], tile, "image"), properties(tiles[i], tile),
                                     frames});
        }
        return tileset;
    }

    TiledTileset tilesetFile(int64_t firstGid) const
    {
        return tileset(document, place(""), firstGid);
    }

    TiledMap map() const
    {
        TiledMap map;
        map.place = place("");
        const json* infinite = member(document, map.place, "infinite");
        checkMapHeader(map.place, text(document, map.place, "orientation"),
                       infinite && *infinite != false && *infinite != 0,
                       integer(document, map.place, "tilewidth", 0),
                       integer(document, map.place, "tileheight", 0));
        map.properties = properties(document, map.place);
        const json& tilesets = array(document, map.place, "tilesets");
        for (size_t i = 0; i < tilesets.size(); ++i) {
            const TiledPlace at = place("/tilesets/" + std::to_string(i));
            if (i > 0) {
                at.fail("", "more than one tileset");
            }
            const int64_t firstGid = integer(tilesets[i], at, "firstgid", 1);
            const std::string source = text(tilesets[i], at, "source");
            map.tilesets.push_back(source.empty()
                                       ? tileset(tilesets[i], at, firstGid)
                                       : readTilesetFile(folderOf(path) + source, firstGid));
        }
        const json& layers = array(document, map.place, "layers");
        for (size_t i = 0; i < layers.size(); ++i) {
            map.layers.push_back(layer(layers[i], place("/layers/" + std::to_string(i))));
        }
        return map;
    }

private:
    std::string path;
    json document;
};

// Base64 as Tiled writes it, whitespace allowed between the characters.
bool decodeBase64(const std::string& text, std::string& bytes)
{
    uint32_t buffer = 0;
    int bits = 0;
    size_t padding = 0;
    for (const char c : text) {
        if (std::isspace(static_cast<unsigned char>(c))) {
            continue;
        }
        const char* digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
        const char* digit = c == '\0' ? nullptr : std::strchr(digits, c);
        if (c == '=') {
            ++padding;
            continue;
        }
        if (!digit || padding > 0) {
            return false;
        }
        buffer = buffer << 6 | static_cast<uint32_t>(digit - digits);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            bytes += static_cast<char>(buffer >> bits & 0xFF);
        }
    }
    return padding <= 2;
}

// Inflates at most limit bytes: a stream that would give more is wrong for the layer anyway,
// and stopping there keeps a small file from filling the memory.
bool inflateBytes(const std::string& packed, bool gzip, size_t limit, std::string& bytes)
{
    z_stream stream{};
    if (inflateInit2(&stream, gzip ? 15 + 16 : 15) != Z_OK) {
        return false;
    }
    bytes.assign(limit + 1, '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.data()));
    stream.avail_in = static_cast<uInt>(packed.size());
    stream.next_out = reinterpret_cast<Bytef*>(&bytes[0]);
    stream.avail_out = static_cast<uInt>(bytes.size());
    const int status = inflate(&stream, Z_FINISH);
    bytes.resize(stream.total_out);
    inflateEnd(&stream);
    return status == Z_STREAM_END;
}

std::vector<uint32_t> readCsv(const TiledData& data)
{
    std::vector<uint32_t> gids;
    const char* text = data.text.c_str();
    while (true) {
        while (std::isspace(static_cast<unsigned char>(*text))) {
            ++text;
        }
        if (*text == '\0') {
            return gids;
        }
        char* end = nullptr;
        errno = 0;
        const unsigned long long gid = std::strtoull(text, &end, 10);
        if (end == text || *text == '-' || errno != 0 || gid > UINT32_MAX) {
            data.place.fail("data", "layer data is not valid CSV");
        }
        gids.push_back(static_cast<uint32_t>(gid));
        text = end;
        while (std::isspace(static_cast<unsigned char>(*text))) {
            ++text;
        }
        if (*text == ',') {
            ++text;
        } else if (*text != '\0') {
            data.place.fail("data", "layer data is not valid CSV");
        }
    }
}

std::vector<uint32_t> readBase64(const TiledData& data, size_t cells, int number)
{
    std::string bytes;
    if (!decodeBase64(data.text, bytes)) {
        data.place.fail("data", "layer data is not valid base64");
    }
    // Checked on the text: a torn group can still decode to a whole number of cells.
    const auto isSpace = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
    if ((data.text.size() - std::count_if(data.text.begin(), data.text.end(), isSpace)) % 4 != 0) {
        data.place.fail("data", "layer " + std::to_string(number) +
                                    ": base64 data is not a multiple of 4 characters");
    }
    if (!data.compression.empty()) {
        if (data.compression != "zlib" && data.compression != "gzip") {
            data.place.fail("compression",
                            "compression \"" + data.compression + "\" is not supported");
        }
        // Tiled writes a layer without cells as no data at all, not as an empty stream.
        std::string packed;
        packed.swap(bytes);
        if (!packed.empty() &&
            !inflateBytes(packed, data.compression == "gzip", cells * 4, bytes)) {
            data.place.fail("data", "layer data is not valid " + data.compression + " data");
        }
    }
    std::vector<uint32_t> gids(bytes.size() / 4);
    for (size_t i = 0; i < gids.size(); ++i) {
        const auto* b = reinterpret_cast<const uint8_t*>(bytes.data()) + 4 * i;
        gids[i] = static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 |
                  static_cast<uint32_t>(b[2]) << 16 | static_cast<uint32_t>(b[3]) << 24;
    }
    if (bytes.size() % 4 != 0) {
        gids.push_back(0); // a torn gid makes the count wrong, which is reported below
    }
    return gids;
}

} // namespace

TiledTileset readTilesetFile(const std::string& path, int64_t firstGid)
{
    if (isJsonPath(path)) {
        return JsonReader(path).tilesetFile(firstGid);
    }
    XmlReader reader(path);
    return reader.tileset(reader.root("tileset"), firstGid);
}

bool isTiledMapPath(const std::string& path)
{
    return hasExtension(path, ".tmx") || hasExtension(path, ".tmj") || hasExtension(path, ".json");
}

bool isJsonPath(const std::string& path)
{
    return hasExtension(path, ".tmj") || hasExtension(path, ".tsj") || hasExtension(path, ".json");
}

std::string folderOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? "" : path.substr(0, slash + 1);
}

std::string baseName(const std::string& path)
{
    return path.substr(folderOf(path).size());
}

TiledMap readTiledMap(const std::string& path)
{
    if (isJsonPath(path)) {
        return JsonReader(path).map();
    }
    return XmlReader(path).map();
}

void checkTileSize(const TiledPlace& place, int64_t width, int64_t height)
{
    if (width != kTiledTileSize || height != kTiledTileSize) {
        place.fail(width != kTiledTileSize ? "tilewidth" : "tileheight",
                   "tile size " + std::to_string(width) + "x" + std::to_string(height) +
                       " is not 24x24");
    }
}

std::vector<uint32_t> decodeTiledData(const TiledLayer& layer, int number)
{
    const TiledData& data = layer.data;
    const size_t cells = static_cast<size_t>(layer.width * layer.height);
    std::vector<uint32_t> gids;
    if (data.encoding == "csv") {
        gids = data.isArray ? data.gids : readCsv(data);
    } else if (data.encoding == "base64") {
        gids = readBase64(data, cells, number);
    } else {
        data.place.fail("encoding", "encoding \"" + data.encoding + "\" is not supported");
    }
    if (gids.size() != cells) {
        data.place.fail("data", "layer data holds " + std::to_string(gids.size()) + " cells, not " +
                                    std::to_string(layer.width) + " x " +
                                    std::to_string(layer.height));
    }
    return gids;
}

} // namespace tarvo
