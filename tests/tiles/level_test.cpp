// Loading levels through the virtual file system, drawing them back to front, and the dump.
#include "levelbytes.h"
#include "pixels.h"
#include "support/capturedlog.h"
#include "support/gamedir.h"
#include "tarvo/tiles/level.h"

#include <gtest/gtest.h>

using namespace tarvo;

namespace
{

const char* const kPath = "demo1/levels/blk301a";

std::vector<int32_t> firstRow(const TileLayer& layer)
{
    std::vector<int32_t> cells;
    for (int col = 0; col < layer.cols; ++col) {
        cells.push_back(layer.cellAt(col, 0));
    }
    return cells;
}

class LevelTest : public ::testing::Test
{
protected:
    void write(const std::vector<uint8_t>& bytes) const
    {
        game.write(kPath, std::string(bytes.begin(), bytes.end()));
    }
    bool load(const LevelParts& parts, TileMap& into) const
    {
        write(assembleLevel(parts));
        return loadLevel(kPath, into);
    }

    const CapturedLog log; // image warnings stay out of the test's output
    const GameDir game;
    TileMap level;
};

TEST_F(LevelTest, FirstLayerGoesThroughTheTranslationTable)
{
    using Cells = std::vector<int32_t>;
    // Table, the stream of a 3 x 1 layer (8 positions), and the tiles it makes.
    const std::tuple<Cells, std::vector<int>, Cells> cases[] = {
        {{4, 9, 11}, {1, 2, 6}, {4, 11, 4}},      // runs take entry 0, which need not be -1
        {{-1, 9}, {0, 0, 0, 1, 6}, {-1, 9, -1}},  // literal 0 is entry 0 too
        {{7, 8}, {0, 2, 0, 200, 6}, {-1, -1, 7}}, // literals past the table have no tile
        {{}, {0, 0, 7}, {-1, -1, -1}},
    };
    for (const auto& [table, stream, expected] : cases) {
        LevelParts parts;
        parts.translations = table;
        parts.layer1 = cellStream(3, 1, stream);
        // The other layers keep literals as tile numbers, and -1 for runs.
        parts.layer2 = cellStream(3, 1, {2, 5, 5});
        parts.layer3 = cellStream(1, 1, {0, 255, 3});
        TileMap fresh;
        ASSERT_TRUE(load(parts, fresh));
        EXPECT_EQ(firstRow(*fresh.layers[0]), expected);
        EXPECT_EQ(firstRow(*fresh.layers[1]), Cells({-1, -1, 5}));
        EXPECT_EQ(firstRow(*fresh.layers[2]), Cells({255}));
    }
}

TEST_F(LevelTest, BackgroundsTakeKeysAndRepeatFromTheirRecords)
{
    writeImage(game.file("demo1/bg/BG0000.PNG"), 8, 8, 0);
    writeImage(game.file("demo1/bg/BG0255.PNG"), 8, 8, 0);
    LevelParts parts;
    // Keys 0 black, 1 white, 2 yellow, others none; only an x divisor repeats.
    parts.backgrounds = {
        {5, 6, 20, 0, 0, 0}, {0, 0, 0, 3, 255, 1}, {0, 0, -1, 0, 0, 2}, {0, 0, 0, 0, 0, 3}};
    ASSERT_TRUE(load(parts, level));
    ASSERT_EQ(level.backgrounds.size(), 4u);
    const int64_t keys[] = {0x000000, 0xFFFFFF, 0xFFFF00, -1};
    for (size_t i = 0; i < 4; ++i) {
        const SDL_Surface* raw = level.backgrounds[i]->image->getSdlSurface();
        const bool keyed = (raw->flags & SDL_SRCCOLORKEY) != 0;
        EXPECT_EQ(keyed ? int64_t(raw->format->colorkey & 0xFFFFFF) : -1, keys[i]) << i;
        EXPECT_EQ(level.backgrounds[i]->flags, i % 2 ? 0 : Background::kRepeatX) << i;
    }
    EXPECT_EQ(level.backgrounds[1]->yDivisor, 3);
}

TEST_F(LevelTest, FailedLoadsLeaveTheCurrentLevelAlone)
{
    writeImage(game.file("demo1/tiles/TILE0001.PNG"), 24, 24, 0x123456);
    LevelParts good;
    good.tileImages = {1};
    write(assembleLevel(good));
    ASSERT_TRUE(loadLevel());
    TileMap* const loaded = gLevel;
    LevelParts missingTile = good, missingBackground = good;
    missingTile.tileImages = {1, 3};
    missingBackground.backgrounds = {{0, 0, 0, 0, 9, 0}};
    std::vector<uint8_t> truncated = assembleLevel(good);
    truncated.pop_back();
    for (const auto& bytes : {assembleLevel(missingTile), assembleLevel(missingBackground),
                              truncated, std::vector<uint8_t>{}}) {
        write(bytes);
        EXPECT_FALSE(loadLevel()) << bytes.size();
        EXPECT_EQ(gLevel, loaded);
    }
    std::filesystem::remove(game.file(kPath));
    EXPECT_FALSE(loadLevel());
    EXPECT_EQ(pixelAt(*gLevel->tileSet.getTile(0), 0, 0), 0x123456u);
}

// Tile n is the nth image listed, whatever its number.
TEST_F(LevelTest, DrawsBackgroundsThenLayersThreeTwoOneWithTilesInLoadOrder)
{
    writeImage(game.file("demo1/tiles/TILE0012.PNG"), 24, 24, 0x0000FF);
    // White corner: tiles are keyed on white, so the layer below shows through there.
    writeImage(game.file("demo1/tiles/TILE-003.PNG"), 24, 24, 0x00FF00, 0xFFFFFF);
    writeImage(game.file("demo1/tiles/TILE0000.PNG"), 24, 24, 0xFF0000);
    writeImage(game.file("demo1/bg/BG0000.PNG"), 320, 240, 0x808080);
    LevelParts parts;
    parts.tileImages = {12, -3, 0};
    parts.translations = {-1, 0};
    // Row 0: layer 1 has tile 0 at column 0, layer 2 tile 1 at 0..1, layer 3 tile 2 at 0..2.
    parts.layer1 = cellStream(4, 1, {0, 1, 9});
    parts.layer2 = cellStream(4, 1, {0, 1, 0, 1, 8});
    parts.layer3 = cellStream(4, 1, {0, 2, 0, 2, 0, 2, 7});
    // Divisor 10 scrolls with the camera: the background starts at -camera - 1.
    parts.backgrounds = {{0, 0, 10, 0, 0, 3}};
    ASSERT_TRUE(load(parts, level));
    LayerViews views;
    bindLayerViews(level, views);
    Surface target;
    target.create(argbFormat(320, 240));
    drawLevel(target, level, views, 0, 0);
    EXPECT_EQ(pixelAt(target, 10, 10), 0x0000FFu);   // layer 1 on top
    EXPECT_EQ(pixelAt(target, 34, 10), 0x00FF00u);   // layer 2 over layer 3
    EXPECT_EQ(pixelAt(target, 24, 0), 0xFF0000u);    // through layer 2's keyed corner
    EXPECT_EQ(pixelAt(target, 58, 10), 0xFF0000u);   // layer 3 alone
    EXPECT_EQ(pixelAt(target, 80, 30), 0x808080u);   // background
    EXPECT_EQ(pixelAt(target, 319, 100), 0x808080u); // repeated from 319
    drawLevel(target, level, views, 24, 0);
    EXPECT_EQ(pixelAt(target, 10, 10), 0x00FF00u); // column 1 now at x 0
}

// Tile 0, solid, animated over itself for 100 ms and tile 2 for 17 ms, stands in each layer in
// its own column; tile 2's image is only on the search path.
const char* const kMap = R"(<?xml version="1.0"?>
<map orientation="orthogonal" tilewidth="24" tileheight="24" infinite="0">
 <properties><property name="collisionlayer" type="int" value="1"/></properties>
 <tileset firstgid="1" name="set" tilewidth="24" tileheight="24" tilecount="3" columns="0">
  <tile id="0"><properties><property name="solid" type="bool" value="true"/></properties>
   <image source="tiles/TILE0001.PNG"/>
   <animation><frame tileid="0" duration="100"/><frame tileid="2" duration="17"/></animation>
  </tile>
  <tile id="1"><image source="tiles/TILE0002.PNG"/></tile>
  <tile id="2"><image source="tiles/TILE0003.PNG"/></tile>
 </tileset>
 <layer id="1" name="third" width="3" height="1"><data encoding="csv">1,0,0</data></layer>
 <layer id="2" name="second" width="3" height="1"><data encoding="csv">0,1,0</data></layer>
 <layer id="3" name="first" width="3" height="1"><data encoding="csv">0,0,1</data></layer>
 <objectgroup id="4" name="things">
  <object id="7" name="a" type="coin" gid="2" x="24" y="24" width="24" height="24"/>
  <object id="5" name="b" class="spawn" x="-3" y="9"><point/></object>
  <object id="6" name="c" type="coin" x="48" y="0" width="30" height="20"><ellipse/></object>
 </objectgroup>
</map>
)";

class MapFileTest : public ::testing::Test
{
protected:
    MapFileTest()
    {
        writeImage(dir.file("tiles/TILE0001.PNG"), 24, 24, 0xFF0000);
        writeImage(dir.file("tiles/TILE0002.PNG"), 24, 24, 0x00FF00);
        writeImage(game.file("demo1/tiles/TILE0003.PNG"), 24, 24, 0x0000FF);
        dir.write("map.tmx", kMap);
    }

    const CapturedLog log;
    const GameDir game;
    const TempDir dir;
    TileMap level;
    std::string message;
};

TEST_F(MapFileTest, MapsKeepTileFlagsObjectsAndTheCollisionLayer)
{
    ASSERT_TRUE(loadLevelFromFile(dir.file("map.tmx"), level, message)) << message;
    EXPECT_EQ(level.collisionLayer(), 0);
    const struct {
        const char* name;
        int layer, col, row;
        bool solid;
    } cells[] = {{"third layer", 2, 0, 0, true},  {"first layer", 0, 2, 0, true},
                 {"second layer", 1, 1, 0, true}, {"no tile", 0, 0, 0, false},
                 {"outside", 0, 3, 0, false},     {"no such layer", 3, 0, 0, false}};
    for (const auto& cell : cells) {
        EXPECT_EQ(level.tileProperties(cell.layer, cell.col, cell.row).solid, cell.solid)
            << cell.name;
    }
    const std::vector<LevelObject>& objects = level.objects();
    ASSERT_EQ(objects.size(), 3u);
    EXPECT_EQ(std::make_tuple(objects[0].id, objects[0].tile, objects[0].place),
              std::make_tuple(7, 1, dir.file("map.tmx") + ":16"));
    EXPECT_EQ(std::make_tuple(objects[1].type, objects[1].x, objects[1].y, objects[1].width),
              std::make_tuple(std::string("spawn"), -3, 9, 0));
    EXPECT_EQ(std::make_tuple(objects[2].width, objects[2].height, objects[2].tile),
              std::make_tuple(30, 20, -1));
    const std::vector<const LevelObject*> coins = level.objectsOfType("coin");
    ASSERT_EQ(coins.size(), 2u);
    EXPECT_EQ(coins[1], &objects[2]);
}

TEST_F(MapFileTest, AnimatedTilesShowTheFrameOfTheClockInEveryLayer)
{
    ASSERT_TRUE(loadLevelFromFile(dir.file("map.tmx"), level, message)) << message;
    LayerViews views;
    bindLayerViews(level, views);
    Surface target;
    target.create(argbFormat(72, 24));
    // 100 ms is 6 ticks, 17 ms 1; the frames loop.
    const std::pair<uint64_t, uint32_t> frames[] = {
        {0, 0xFF0000}, {5, 0xFF0000}, {6, 0x0000FF}, {7, 0xFF0000}, {13, 0x0000FF}};
    for (const auto& [tick, colour] : frames) {
        while (level.animationClock() < tick) {
            level.advance();
        }
        drawLevel(target, level, views, 0, 0);
        for (const int x : {10, 34, 58}) {
            EXPECT_EQ(pixelAt(target, x, 10), colour) << "tick " << tick << ", x " << x;
        }
    }
}

TEST_F(MapFileTest, FailedLoadsNameTheCauseAndLeaveTheLevelAlone)
{
    ASSERT_TRUE(loadLevelFromFile(dir.file("map.tmx"), level, message)) << message;
    const std::string polygon = std::string(kMap).replace(std::string(kMap).find("<point/>"), 8,
                                                          R"(<polygon points="0,0 1,1"/>)");
    const std::string missing =
        std::string(kMap).replace(std::string(kMap).find("TILE0003"), 8, "TILE0009");
    LevelParts parts;
    std::vector<uint8_t> truncated = assembleLevel(parts);
    truncated.pop_back();
    const struct {
        const char* name;
        std::string file;
        std::string contents;
        std::string message; // after the folder
    } rows[] = {
        {"map error", "bad.tmx", polygon, "bad.tmx:17: object 5: polygons are not supported"},
        {"image nowhere", "bad.tmx", missing,
         "bad.tmx: cannot load the image \"" + dir.path + "/tiles/TILE0009.PNG\""},
        {"level file cut short", "bad", std::string(truncated.begin(), truncated.end()),
         "bad: offset " + std::to_string(truncated.size() - 1) +
             ": file ends inside the third layer"},
        {"no file", "none", "", "none: offset 0: cannot open the file"},
    };
    for (const auto& row : rows) {
        if (!row.contents.empty()) {
            dir.write(row.file, row.contents);
        }
        EXPECT_FALSE(loadLevelFromFile(dir.file(row.file), level, message)) << row.name;
        EXPECT_EQ(message, dir.path + "/" + row.message) << row.name;
        EXPECT_EQ(level.objects().size(), 3u) << row.name;
    }
}

TEST(LayerDumpTest, WritesRowsOfRightAlignedCells)
{
    const std::tuple<int, int, std::vector<int32_t>, std::string> cases[] = {
        {3, 2, {5, 12, -1, 123, 0, 7}, " 5 12 -1 \n123  0  7 \n"},
        {4, 0, {}, ""},
        {0, 3, {}, "\n\n\n"},
        {2, 1, {-12345, 32767}, "-12345 32767 \n"},
    };
    const TempDir dir;
    const std::string path = dir.write("mapdump.dat", "an older, longer dump that must go\n");
    for (const auto& [cols, rows, cells, expected] : cases) {
        TileLayer layer(cols, rows, 24, 24);
        for (int i = 0; i < static_cast<int>(cells.size()); ++i) {
            layer.setCell(cells[i], i % cols, i / cols);
        }
        writeLayerDump(layer, path.c_str());
        EXPECT_EQ(readFile(path), expected) << cols << " x " << rows;
    }
}

} // namespace
