// Loading levels through the virtual file system, drawing them back to front, and the dump.
#include "gamedir.h"
#include "levelbytes.h"
#include "pixels.h"
#include "support/capturedlog.h"
#include "tiles/level.h"
#include "tiles/levelfile.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace
{

const char* const kPath = "demo1/levels/blk301a";

std::string readText(const char* path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

uint32_t tileColor(const TileMap& level, int n)
{
    const Surface* tile = level.tileSet.getTile(n);
    return tile ? pixelAt(*tile, 5, 5) : 0xDEAD;
}

class LevelTest : public ::testing::Test
{
protected:
    bool load(const LevelParts& parts)
    {
        game.writeFile(kPath, assembleLevel(parts));
        return loadLevel(kPath, level);
    }

    CapturedLog log;
    GameDir game;
    TileMap level;
};

TEST_F(LevelTest, TileNumbersAreLoadPositionsNotImageNumbers)
{
    game.writeImage("demo1/tiles/TILE0012.PNG", 24, 24, 0x112233);
    game.writeImage("demo1/tiles/TILE0005.PNG", 24, 24, 0x445566);
    game.writeImage("demo1/tiles/TILE-003.PNG", 24, 24, 0x778899);
    LevelParts parts;
    parts.tileImages = {12, 5, -3, 12};
    ASSERT_TRUE(load(parts));
    EXPECT_EQ(level.tileSet.count(), 4);
    EXPECT_EQ(tileColor(level, 0), 0x112233u);
    EXPECT_EQ(tileColor(level, 1), 0x445566u);
    EXPECT_EQ(tileColor(level, 2), 0x778899u);
    EXPECT_EQ(tileColor(level, 3), 0x112233u);
    EXPECT_EQ(level.tileSet.getTile(4), nullptr);
    EXPECT_EQ(level.tileSet.getTile(-1), nullptr);
    EXPECT_EQ(log.text(), "");
}

TEST_F(LevelTest, FirstLayerGoesThroughTheTranslationTable)
{
    struct Case {
        const char* name;
        std::vector<int32_t> table;
        std::vector<StreamItem> stream; // a 3 x 1 layer: 8 positions
        std::vector<int32_t> expected;
    };
    const Case cases[] = {
        {"runs take entry 0, which need not be -1",
         {4, 9, 11},
         {{'R', 1}, {'b', 2}, {'R', 6}},
         {4, 11, 4}},
        {"literal 0 and a run both mean entry 0",
         {-1, 9},
         {{'R', 0}, {'b', 0}, {'R', 0}, {'b', 1}, {'R', 6}},
         {-1, 9, -1}},
        {"literal past the table has no tile",
         {7, 8},
         {{'R', 0}, {'b', 2}, {'R', 0}, {'b', 200}, {'R', 6}},
         {-1, -1, 7}},
        {"empty table translates nothing", {}, {{'R', 0}, {'b', 0}, {'R', 7}}, {-1, -1, -1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LevelParts parts;
        parts.translations = c.table;
        parts.layer1 = cellStream(3, 1, c.stream);
        // Second and third layers keep literals as tile numbers, with -1 for runs.
        parts.layer2 = cellStream(3, 1, {{'R', 2}, {'b', 5}, {'R', 5}});
        parts.layer3 = cellStream(1, 1, {{'R', 0}, {'b', 255}, {'R', 3}});
        TileMap fresh;
        game.writeFile(kPath, assembleLevel(parts));
        ASSERT_TRUE(loadLevel(kPath, fresh));
        ASSERT_TRUE(fresh.layers[0] && fresh.layers[1] && fresh.layers[2]);
        EXPECT_EQ(fresh.layers[0]->pixelWidth, 72);
        EXPECT_EQ(fresh.layers[0]->pixelHeight, 24);
        for (int col = 0; col < 3; ++col) {
            EXPECT_EQ(fresh.layers[0]->cellAt(col, 0), c.expected[col]) << "column " << col;
        }
        EXPECT_EQ(fresh.layers[1]->cellAt(0, 0), -1);
        EXPECT_EQ(fresh.layers[1]->cellAt(2, 0), 5);
        EXPECT_EQ(fresh.layers[2]->cellAt(0, 0), 255);
    }
}

TEST_F(LevelTest, BackgroundsTakeKeysAndRepeatFromTheirRecords)
{
    // Each image has a black, a white and a yellow pixel so the key in force can be probed.
    const uint32_t keyColors[] = {0x000000, 0xFFFFFF, 0xFFFF00};
    for (int image : {0, 255}) {
        char name[32];
        std::snprintf(name, sizeof name, "demo1/bg/BG%04d.PNG", image);
        game.writeImage(name, 8, 8, 0x000000);
    }
    LevelParts parts;
    parts.backgrounds = {{5, 6, 20, 0, 0, 0},
                         {0, 0, 0, 3, 255, 1},
                         {0, 0, -1, 0, 0, 2},
                         {0, 0, 0, 0, 0, 3},
                         {0, 0, 0, 0, 0, 200}};
    parts.values[0] = -5;
    parts.values[5] = 600;
    ASSERT_TRUE(load(parts));
    ASSERT_EQ(level.backgrounds.size(), 5u);
    const int32_t expectedFlags[] = {1, 0, 1, 0, 0};
    for (size_t i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        const Background& background = *level.backgrounds[i];
        EXPECT_EQ(background.flags, expectedFlags[i]);
        const SDL_Surface* raw = background.image->getSdlSurface();
        const bool keyed = (raw->flags & SDL_SRCCOLORKEY) != 0;
        EXPECT_EQ(keyed, i < 3);
        if (keyed) {
            EXPECT_EQ(raw->format->colorkey & 0xFFFFFF, keyColors[i]);
        }
    }
    EXPECT_EQ(level.backgrounds[0]->x, 5);
    EXPECT_EQ(level.backgrounds[0]->y, 6);
    EXPECT_EQ(level.backgrounds[1]->yDivisor, 3);
    EXPECT_EQ(level.backgrounds[2]->xDivisor, -1);
    EXPECT_EQ(level.values[0], -5);
    EXPECT_EQ(level.values[5], 600);
}

TEST_F(LevelTest, FailedLoadsLeaveTheCurrentLevelAlone)
{
    game.writeImage("demo1/tiles/TILE0001.PNG", 24, 24, 0x123456);
    LevelParts good;
    good.tileImages = {1};
    good.layer1 = cellStream(1, 1, {{'R', 0}, {'b', 0}, {'R', 3}});
    good.translations = {0};
    game.writeFile(kPath, assembleLevel(good));
    ASSERT_TRUE(loadLevel());
    TileMap* const loaded = gLevel;
    ASSERT_NE(loaded, nullptr);

    LevelParts missingTile = good;
    missingTile.tileImages = {1, 3};
    LevelParts missingBackground = good;
    missingBackground.backgrounds = {{0, 0, 0, 0, 9, 0}};
    std::vector<uint8_t> truncated = assembleLevel(good);
    truncated.pop_back();
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        std::string log;
    };
    const Case cases[] = {
        {"missing tile image", assembleLevel(missingTile),
         "Warning: Couldn't open image file 'demo1/tiles/TILE0003.PNG'.\n"},
        {"missing background image", assembleLevel(missingBackground),
         "Warning: Couldn't open image file 'demo1/bg/BG0009.PNG'.\n"},
        {"truncated file", truncated, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const size_t logged = log.text().size();
        game.writeFile(kPath, c.bytes);
        EXPECT_FALSE(loadLevel());
        EXPECT_EQ(gLevel, loaded);
        EXPECT_EQ(log.text().substr(logged), c.log);
    }
    std::filesystem::remove(std::filesystem::path(game.root) / kPath);
    EXPECT_FALSE(loadLevel());
    EXPECT_EQ(gLevel, loaded);
    EXPECT_EQ(tileColor(*gLevel, 0), 0x123456u);
}

TEST_F(LevelTest, DrawsBackgroundsThenLayersThreeTwoOne)
{
    game.writeImage("demo1/tiles/TILE0000.PNG", 24, 24, 0x0000FF);
    // White corner pixel: tiles are keyed on white, so the layer below shows through there.
    game.writeImage("demo1/tiles/TILE0001.PNG", 24, 24, 0x00FF00, 0xFFFFFF);
    game.writeImage("demo1/tiles/TILE0002.PNG", 24, 24, 0xFF0000);
    game.writeImage("demo1/bg/BG0000.PNG", 320, 240, 0x808080);
    LevelParts parts;
    parts.tileImages = {0, 1, 2};
    parts.translations = {-1, 0};
    // Columns 0..2 of row 0: layer 1 has tile 0 at column 0; layer 2 has tile 1 at columns
    // 0 and 1; layer 3 has tile 2 at columns 0, 1 and 2. Column 3 is empty everywhere.
    parts.layer1 = cellStream(4, 1, {{'R', 0}, {'b', 1}, {'R', 9}});
    parts.layer2 = cellStream(4, 1, {{'R', 0}, {'b', 1}, {'R', 0}, {'b', 1}, {'R', 8}});
    parts.layer3 =
        cellStream(4, 1, {{'R', 0}, {'b', 2}, {'R', 0}, {'b', 2}, {'R', 0}, {'b', 2}, {'R', 7}});
    // x divisor 10 scrolls with the camera: dx = 0 - 10 * (camera + 1) / 10 = -camera - 1.
    parts.backgrounds = {{0, 0, 10, 0, 0, 3}};
    ASSERT_TRUE(load(parts));
    LayerViews views;
    bindLayerViews(level, views);
    Surface target;
    makeTarget(target, 320, 240);
    drawLevel(target, level, views, 0, 0);
    EXPECT_EQ(pixelAt(target, 10, 10), 0x0000FFu); // layer 1 on top
    EXPECT_EQ(pixelAt(target, 34, 10), 0x00FF00u); // layer 2 over layer 3
    EXPECT_EQ(pixelAt(target, 24, 0), 0xFF0000u);  // through layer 2's keyed corner
    EXPECT_EQ(pixelAt(target, 58, 10), 0xFF0000u); // layer 3 alone
    EXPECT_EQ(pixelAt(target, 80, 10), 0x808080u); // background
    EXPECT_EQ(pixelAt(target, 80, 30), 0x808080u);
    // The background ends at 318 and, with one 320-wide image repeated, starts again at 319.
    EXPECT_EQ(pixelAt(target, 319, 100), 0x808080u);

    Surface shifted;
    makeTarget(shifted, 320, 240);
    drawLevel(shifted, level, views, 24, 0);
    EXPECT_EQ(pixelAt(shifted, 10, 10), 0x00FF00u); // column 1 now at x 0
    EXPECT_EQ(pixelAt(shifted, 300, 200), 0x808080u);
}

TEST(LayerDumpTest, WritesRowsOfRightAlignedCells)
{
    struct Case {
        const char* name;
        int cols;
        int rows;
        std::vector<int32_t> cells;
        std::string expected;
    };
    const Case cases[] = {
        {"narrow and wide values", 3, 2, {5, 12, -1, 123, 0, 7}, " 5 12 -1 \n123  0  7 \n"},
        {"no rows", 4, 0, {}, ""},
        {"rows without columns", 0, 3, {}, "\n\n\n"},
        {"large and negative", 2, 1, {-12345, 32767}, "-12345 32767 \n"},
    };
    char dir[] = "/tmp/tarvo-dump-XXXXXX";
    const std::string path = std::string(mkdtemp(dir)) + "/mapdump.dat";
    {
        std::ofstream stale(path);
        stale << "an older, longer dump that must not survive\n";
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TileLayer layer(c.cols, c.rows, 24, 24);
        for (size_t i = 0; i < c.cells.size(); ++i) {
            layer.setCell(c.cells[i], static_cast<int>(i) % c.cols, static_cast<int>(i) / c.cols);
        }
        writeLayerDump(layer, path.c_str());
        EXPECT_EQ(readText(path.c_str()), c.expected);
    }
    std::filesystem::remove_all(dir);
}

} // namespace
