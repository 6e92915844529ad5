// moveBox against a small hand-drawn collision layer: walls, floors, ceilings, one-way
// platforms, hazards and the empty world around it.
#include "tarvo/tiles/collision.h"
#include "tarvo/tiles/level.h"
#include "tarvo/tiles/levelfile.h"

#include <gtest/gtest.h>

using namespace tarvo;

namespace
{

const int32_t P = 256; // one pixel in the box's 1/256 pixel units

// The collision layer (the second) from one string a row, 24 x 24 pixel cells: '#' solid,
// '-' one-way, '^' a hazard to walk into, 'X' a solid hazard, '.' nothing. The other two
// layers are solid everywhere, so reading the wrong layer blocks every move.
void buildMap(TileMap& map, const std::vector<std::string>& rows)
{
    const auto cols = static_cast<int32_t>(rows[0].size());
    const auto height = static_cast<int32_t>(rows.size());
    for (auto& layer : map.layers) {
        layer = std::make_unique<TileLayer>(cols, height, 24, 24);
    }
    const std::string tiles = "#-^X";
    for (int32_t row = 0; row < height; ++row) {
        for (int32_t col = 0; col < cols; ++col) {
            const size_t tile = tiles.find(rows[row][col]);
            map.layers[1]->setCell(tile == std::string::npos ? -1 : int32_t(tile), col, row);
            map.layers[0]->setCell(0, col, row);
            map.layers[2]->setCell(0, col, row);
        }
    }
    LevelExtension extension;
    extension.tiles = {{0, {true, false, false, {}}},
                       {1, {false, true, false, {}}},
                       {2, {false, false, true, {}}},
                       {3, {true, false, true, {}}}};
    map.setExtension(extension, 4);
}

TEST(CollisionTest, MoveBoxStopsAtTheLastFreePositionAndReportsWhatItMet)
{
    TileMap map;
    buildMap(map, {
                      "..........", // y 0..23
                      "...#......", // a ceiling block at x 72..95
                      "......--..", // a one-way platform at x 144..191, top y 48
                      "#........X", // a wall at x 0..23, a solid hazard at x 216..239
                      "###.^....#", // a ledge ending at x 71, top y 96; a hazard at x 96..119
                      "##########", // y 120..143
                  });
    const struct {
        const char* name;
        int32_t x, y, dx, dy; // 1/256 pixel
        unsigned flags;
        int32_t endX, endY;
        unsigned contacts;
        bool hazard;
    } rows[] = {
        {"falls onto a floor, fraction cleared", 40 * P, 60 * P + 128, 0, 40 * P, 0, 40 * P, 80 * P,
         Floor, false},
        {"a step longer than a tile down", 40 * P, 0, 0, 200 * P, 0, 40 * P, 80 * P, Floor, false},
        {"a step longer than a tile left", 150 * P, 76 * P, -300 * P, 0, 0, 24 * P, 76 * P,
         LeftWall, false},
        {"into a corner", 30 * P, 78 * P, -10 * P, 10 * P, 0, 24 * P, 80 * P, LeftWall | Floor,
         false},
        {"past a corner: x moves first", 50 * P, 50 * P, 10 * P, -10 * P, 0, 60 * P, 48 * P,
         Ceiling, false},
        {"a ceiling", 76 * P, 60 * P, 0, -30 * P, 0, 76 * P, 48 * P, Ceiling, false},
        {"one-way from below", 150 * P, 80 * P, 0, -40 * P, 0, 150 * P, 40 * P, 0, false},
        {"one-way from above", 150 * P, 20 * P, 0, 40 * P, 0, 150 * P, 32 * P, Floor, false},
        {"one-way with the bottom edge on it", 150 * P, 32 * P, 0, P, 0, 150 * P, 32 * P, Floor,
         false},
        {"one-way with the bottom edge below its top", 150 * P, 40 * P, 0, 20 * P, 0, 150 * P,
         60 * P, 0, false},
        {"one-way from the side", 110 * P, 50 * P, 40 * P, 0, 0, 150 * P, 50 * P, 0, false},
        {"through one-way", 150 * P, 20 * P, 0, 40 * P, ThroughOneWay, 150 * P, 60 * P, 0, false},
        {"the last pixel of a ledge holds", 71 * P, 80 * P, 0, P, 0, 71 * P, 80 * P, Floor, false},
        {"a pixel past the ledge falls", 72 * P, 80 * P, 0, P, 0, 72 * P, 81 * P, 0, false},
        {"a hazard touched while blocked", 190 * P, 76 * P, 20 * P, 0, 0, 200 * P, 76 * P,
         RightWall, true},
        {"a hazard overlapped", 100 * P, 80 * P, 0, 10 * P, 0, 100 * P, 90 * P, 0, true},
        {"a hazard beside the box", 80 * P, 80 * P, 0, 10 * P, 0, 80 * P, 90 * P, 0, false},
        {"outside the layer", -40 * P, 100 * P, -1000 * P, 300 * P, 0, -1040 * P, 400 * P, 0,
         false},
        {"pixel -1 lies outside the layer", -16 * P - 128, 76 * P, P, 0, 0, -15 * P - 128, 76 * P,
         0, false},
    };
    for (const auto& row : rows) {
        Box box{row.x, row.y, 16, 16};
        const MoveResult result = moveBox(map, box, row.dx, row.dy, row.flags);
        EXPECT_EQ(box.x, row.endX) << row.name;
        EXPECT_EQ(box.y, row.endY) << row.name;
        EXPECT_EQ(result.contacts, row.contacts) << row.name;
        EXPECT_EQ(result.hazard, row.hazard) << row.name;
    }
}

} // namespace
