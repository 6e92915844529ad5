// Map checks: every object of a known type, coins where the player can reach them, a start.
#include "mapcheck.h"

#include "world.h"

#include <cstdio>
#include <cstring>
#include <tarvo/tiles/level.h>

namespace climb
{

namespace
{

const char* const kTypes[] = {"start", "coin", "checkpoint", "enemy", "goal"};

bool knownType(const std::string& type)
{
    for (const char* known : kTypes) {
        if (type == known) {
            return true;
        }
    }
    return false;
}

int32_t cellOf(int32_t pixel, int32_t size)
{
    return pixel >= 0 ? pixel / size : -((size - 1 - pixel) / size);
}

bool touchesSolid(const tarvo::TileMap& map, const Area& area)
{
    const int layer = map.collisionLayer();
    const tarvo::TileLayer* tiles = map.layers[layer].get();
    if (!tiles || tiles->tileWidth <= 0 || tiles->tileHeight <= 0) {
        return false;
    }
    for (int32_t row = cellOf(area.y, tiles->tileHeight);
         row <= cellOf(area.y + area.height - 1, tiles->tileHeight); ++row) {
        for (int32_t column = cellOf(area.x, tiles->tileWidth);
             column <= cellOf(area.x + area.width - 1, tiles->tileWidth); ++column) {
            if (map.tileProperties(layer, column, row).solid) {
                return true;
            }
        }
    }
    return false;
}

std::string objectFault(const tarvo::LevelObject& object, const std::string& mapName,
                        const std::string& message)
{
    const std::string& place = object.place.empty() ? mapName : object.place;
    return place + ": object " + std::to_string(object.id) + ": " + message;
}

} // namespace

std::string checkMap(const tarvo::TileMap& map, const std::string& mapName)
{
    bool start = false;
    for (const tarvo::LevelObject& object : map.objects()) {
        if (!knownType(object.type)) {
            return objectFault(object, mapName, "unknown type \"" + object.type + "\"");
        }
        if (object.type == "coin" && touchesSolid(map, objectArea(object))) {
            return objectFault(object, mapName, "coin inside a solid tile");
        }
        start = start || object.type == "start";
    }
    return start ? std::string() : mapName + ": no player start";
}

std::optional<int> checkMapOption(int argc, char** argv)
{
    if (argc < 2 || std::strcmp(argv[1], "--check-map") != 0) {
        return std::nullopt;
    }
    if (argc != 3) {
        std::fprintf(stderr, "Error: --check-map needs a map\n");
        return 1;
    }
    tarvo::TileMap map;
    std::string fault;
    if (tarvo::loadLevelFromFile(argv[2], map, fault)) {
        fault = checkMap(map, argv[2]);
    }
    if (!fault.empty()) {
        std::fprintf(stderr, "Error: %s\n", fault.c_str());
        return 1;
    }
    return 0;
}

} // namespace climb
