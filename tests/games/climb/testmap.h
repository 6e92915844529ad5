// Small levels drawn as text for the game's tests: '#' solid, '=' one-way, '^' hazard (solid
// too, as the game's spikes are), '.' empty; the collision layer is the second, 24-pixel tiles.
#pragma once

#include <memory>
#include <string>
#include <tarvo/tiles/level.h>
#include <tarvo/tiles/levelfile.h>
#include <vector>

namespace climbtest
{

inline std::unique_ptr<tarvo::TileMap> makeMap(const std::vector<std::string>& rows,
                                               std::vector<tarvo::LevelObject> objects = {})
{
    auto map = std::make_unique<tarvo::TileMap>();
    const auto cols = static_cast<int32_t>(rows.at(0).size());
    map->layers[1] = std::make_unique<tarvo::TileLayer>(cols, int32_t(rows.size()), 24, 24);
    const std::string tiles = "#=^";
    for (size_t row = 0; row < rows.size(); ++row) {
        for (int32_t col = 0; col < cols; ++col) {
            const size_t tile = tiles.find(rows[row][size_t(col)]);
            if (tile != std::string::npos) {
                map->layers[1]->setCell(int32_t(tile), col, int32_t(row));
            }
        }
    }
    tarvo::LevelExtension extension;
    extension.tiles = {
        {0, {true, false, false, {}}}, {1, {false, true, false, {}}}, {2, {true, false, true, {}}}};
    extension.objects = std::move(objects);
    map->setExtension(extension, 3);
    return map;
}

inline tarvo::LevelObject object(int32_t id, const std::string& type, int32_t x, int32_t y,
                                 int number = 0)
{
    tarvo::LevelObject made{id, "", type, x, y, 24, 24};
    if (number) {
        made.properties.push_back({"number", tarvo::Property::Type::Int, std::to_string(number)});
    }
    return made;
}

} // namespace climbtest
