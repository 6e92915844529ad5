// What a Tiled map says beyond its pictures, for the level's extension block: the tileset's tile
// properties and animations, the objects of its object layers and the collision layer. What
// the block cannot hold as Tiled means it is refused, naming the tile, object or property.
#include "tarvo/tiles/levelfile.h"
#include "tiles/tiledmap.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>

namespace tarvo
{

namespace
{

constexpr uint32_t kGidFlags = 0xF0000000; // flips, diagonal flip and hexagonal rotation

Property keptProperty(const TiledProperty& property)
{
    static const std::pair<const char*, Property::Type> types[] = {
        {"string", Property::Type::String},
        {"int", Property::Type::Int},
        {"float", Property::Type::Float},
        {"bool", Property::Type::Bool}};
    const auto* type = std::find_if(std::begin(types), std::end(types), [&](const auto& known) {
        return property.type == known.first;
    });
    if (type == std::end(types)) {
        property.place.fail("type", "property " + property.name + " is not valid: type " +
                                        property.type + " is not supported");
    }
    Property kept{property.name, type->second, property.value};
    if (kept.type == Property::Type::Int) {
        kept.value = std::to_string(intProperty(property, INT32_MIN, INT32_MAX));
    }
    const std::string why = propertyValueError(kept);
    if (!why.empty()) {
        property.invalid(why);
    }
    return kept;
}

// Custom properties in name order, as the block stores them.
std::vector<Property> keptProperties(const std::vector<const TiledProperty*>& list)
{
    std::vector<const TiledProperty*> sorted = list;
    std::stable_sort(
        sorted.begin(), sorted.end(),
        [](const TiledProperty* a, const TiledProperty* b) { return a->name < b->name; });
    std::vector<Property> kept;
    for (size_t i = 0; i < sorted.size(); ++i) {
        if (i > 0 && sorted[i - 1]->name == sorted[i]->name) {
            sorted[i]->place.fail("name", "property " + sorted[i]->name + " is given twice");
        }
        kept.push_back(keptProperty(*sorted[i]));
    }
    return kept;
}

std::vector<Property> keptProperties(const std::vector<TiledProperty>& list)
{
    std::vector<const TiledProperty*> pointers;
    for (const TiledProperty& property : list) {
        pointers.push_back(&property);
    }
    return keptProperties(pointers);
}

// The flags collision reads are bool properties of the tile; the rest are custom.
TileProperties tileProperties(const TiledTile& tile)
{
    TileProperties properties;
    std::vector<const TiledProperty*> custom;
    const std::pair<const char*, bool*> flags[] = {{"solid", &properties.solid},
                                                   {"oneway", &properties.oneway},
                                                   {"hazard", &properties.hazard}};
    for (const TiledProperty& property : tile.properties) {
        const auto* flag = std::find_if(std::begin(flags), std::end(flags),
                                        [&](const auto& f) { return property.name == f.first; });
        if (flag == std::end(flags)) {
            custom.push_back(&property);
            continue;
        }
        if (property.type != "bool" || (property.value != "true" && property.value != "false")) {
            property.invalid("not a bool");
        }
        *flag->second = property.value == "true";
    }
    properties.custom = keptProperties(custom);
    return properties;
}

void checkTile(const TiledPlace& place, const char* member, int64_t tile, size_t tileCount,
               const std::string& what)
{
    if (tile < 0 || static_cast<uint64_t>(tile) >= tileCount) {
        place.fail(member, what + " " + std::to_string(tile) + " is not in the tileset");
    }
}

LevelAnimationData tileAnimation(const TiledTile& tile, size_t tileCount)
{
    LevelAnimationData animation;
    animation.tile = static_cast<int16_t>(tile.id);
    if (tile.animation.size() > UINT16_MAX) {
        tile.place.fail("animation", "tile " + std::to_string(tile.id) +
                                         " has more than 65535 animation frames");
    }
    for (const TiledFrame& frame : tile.animation) {
        checkTile(frame.place, "tileid", frame.tileId, tileCount, "animation frame tile");
        if (frame.duration < 0 || frame.duration > INT32_MAX) {
            frame.place.fail("duration", "animation frame duration " +
                                             std::to_string(frame.duration) +
                                             " is not from 0 to 2147483647");
        }
        animation.frames.push_back(
            {static_cast<int16_t>(frame.tileId), static_cast<int32_t>(frame.duration)});
    }
    return animation;
}

void readTiles(const TiledTileset& tileset, LevelExtension& extension, size_t tileCount)
{
    std::vector<const TiledTile*> tiles;
    for (const TiledTile& tile : tileset.tiles) {
        checkTile(tile.place, "id", tile.id, tileCount, "tile");
        tiles.push_back(&tile);
    }
    std::stable_sort(tiles.begin(), tiles.end(),
                     [](const TiledTile* a, const TiledTile* b) { return a->id < b->id; });
    for (size_t i = 0; i < tiles.size(); ++i) {
        const TiledTile& tile = *tiles[i];
        if (i > 0 && tiles[i - 1]->id == tile.id) {
            tile.place.fail("id", "tile " + std::to_string(tile.id) + " is given twice");
        }
        const TileProperties properties = tileProperties(tile);
        if (properties.solid || properties.oneway || properties.hazard ||
            !properties.custom.empty()) {
            extension.tiles.push_back({static_cast<int16_t>(tile.id), properties});
        }
        if (!tile.animation.empty()) {
            extension.animations.push_back(tileAnimation(tile, tileCount));
        }
    }
}

// Tiled's shapes and transformations the engine has no place for name the object.
void checkShape(const TiledObject& object, const std::string& name)
{
    static const std::pair<TiledObject::Shape, const char*> refused[] = {
        {TiledObject::Shape::Polygon, "polygon"},
        {TiledObject::Shape::Polyline, "polyline"},
        {TiledObject::Shape::Text, "text"}};
    for (const auto& [shape, member] : refused) {
        if (object.shape == shape) {
            object.place.fail(member,
                              name + ": " +
                                  (shape == TiledObject::Shape::Text ? std::string("text objects")
                                                                     : std::string(member) + "s") +
                                  " are not supported");
        }
    }
    if (!object.templateFile.empty()) {
        object.place.fail("template", name + ": templates are not supported");
    }
    if (object.rotation != 0) {
        object.place.fail("rotation", name + ": rotated objects are not supported");
    }
    if (object.gid >= 0 && (static_cast<uint64_t>(object.gid) & kGidFlags)) {
        object.place.fail("gid", name + ": flipped objects are not supported");
    }
}

// x, y, width and height, each a whole number of pixels within 32 bits.
std::array<int32_t, 4> objectBox(const TiledObject& object, const std::string& name)
{
    const std::pair<const char*, double> sides[] = {
        {"x", object.x}, {"y", object.y}, {"width", object.width}, {"height", object.height}};
    std::array<int32_t, 4> box{};
    for (size_t i = 0; i < box.size(); ++i) {
        const auto& [member, value] = sides[i];
        if (value != std::floor(value)) {
            object.place.fail(member, name + " has a fractional position or size");
        }
        if (value < INT32_MIN || value > INT32_MAX) {
            object.place.fail(member, name + " has a position or size beyond 32 bits");
        }
        box[i] = static_cast<int32_t>(value);
    }
    return box;
}

LevelObject levelObject(const TiledObject& object, const TiledTileset* tileset, size_t tileCount)
{
    const std::string name = "object " + std::to_string(object.id);
    if (object.id < INT32_MIN || object.id > INT32_MAX) {
        object.place.fail("id", name + " has an id beyond 32 bits");
    }
    checkShape(object, name);
    LevelObject kept;
    kept.id = static_cast<int32_t>(object.id);
    kept.name = object.name;
    kept.type = object.type;
    const std::array<int32_t, 4> box = objectBox(object, name);
    kept.x = box[0];
    kept.y = box[1];
    kept.width = box[2];
    kept.height = box[3];
    if (object.gid >= 0) {
        const int64_t firstGid = tileset ? tileset->firstGid : 1;
        const int64_t tile = object.gid - firstGid;
        if (tile < 0 || static_cast<uint64_t>(tile) >= tileCount) {
            object.place.fail("gid", "gid " + std::to_string(object.gid) + " is in no tileset");
        }
        kept.tile = static_cast<int32_t>(tile);
    }
    kept.properties = keptProperties(object.properties);
    kept.place = object.place.at();
    return kept;
}

// The trailer property's bytes take the block's place in the file, so a map has one or the other.
void checkTrailer(const std::vector<TiledProperty>& properties, const LevelFile& level)
{
    const TiledProperty* trailer = findProperty(properties, "trailer");
    if (!trailer) {
        return;
    }
    const size_t magicSize = sizeof kExtensionMagic - 1;
    if (level.trailer.size() >= magicSize &&
        std::equal(kExtensionMagic, kExtensionMagic + magicSize, level.trailer.begin())) {
        trailer->invalid("starts like an extension block");
    }
    const LevelExtension& extension = level.extension;
    if (extension.empty()) {
        return;
    }
    const bool onlyCollision =
        extension.tiles.empty() && extension.animations.empty() && extension.objects.empty();
    trailer->place.fail("", onlyCollision
                                ? "property trailer cannot be used with property collisionlayer"
                                : "property trailer cannot be used with objects, tile "
                                  "properties or animations");
}

} // namespace

void readMapExtension(const TiledMap& map, LevelFile& level)
{
    LevelExtension& extension = level.extension;
    const size_t tileCount = level.tileImages.size();
    if (const TiledProperty* collision = findProperty(map.properties, "collisionlayer")) {
        extension.collisionLayer = static_cast<uint8_t>(intProperty(*collision, 1, 3));
    }
    const TiledTileset* tileset = map.tilesets.empty() ? nullptr : &map.tilesets[0];
    if (tileset) {
        readTiles(*tileset, extension, tileCount);
    }
    for (const TiledLayer& layer : map.layers) {
        for (const TiledObject& object : layer.objects) {
            extension.objects.push_back(levelObject(object, tileset, tileCount));
        }
    }
    checkTrailer(map.properties, level);
}

} // namespace tarvo
