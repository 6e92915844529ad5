// The level loop's halves without the main loop: -level loads a map before the game, F5 loads
// it again into the same level or warns and keeps it, and nothing happens without -level.
#include "engine/levelloop.h"
#include "support/capturedlog.h"
#include "support/words.h"
#include "tarvo/core/exception.h"
#include "tarvo/engine/levelloop.h"
#include "tarvo/tiles/level.h"
#include "tiles/pixels.h"

#include <gtest/gtest.h>

using namespace tarvo;

namespace
{

// A map of one layer of the given gids over two tiles drawn beside it.
std::string map(const std::string& gids, int width)
{
    return R"(<?xml version="1.0"?>
<map orientation="orthogonal" tilewidth="24" tileheight="24" infinite="0">
 <tileset firstgid="1" name="set" tilewidth="24" tileheight="24" tilecount="2" columns="0">
  <tile id="0"><image source="TILE0001.PNG"/></tile><tile id="1"><image source="TILE0002.PNG"/></tile>
 </tileset>
 <layer id="1" name="first" width=")" +
           std::to_string(width) + R"(" height="1"><data encoding="csv">)" + gids +
           "</data></layer>\n</map>\n";
}

class LevelLoopTest : public ::testing::Test
{
protected:
    LevelLoopTest()
    {
        writeImage(dir.file("TILE0001.PNG"), 24, 24, 0xFF0000);
        writeImage(dir.file("TILE0002.PNG"), 24, 24, 0x00FF00);
        dir.write("map.tmx", map("1,2", 2));
    }
    ~LevelLoopTest() override { closeLevel(); }

    const CapturedLog log;
    const TempDir dir;
    const Words words{{"prog", "-level", dir.file("map.tmx")}};
};

TEST_F(LevelLoopTest, F5LoadsTheFileAgainIntoTheSameLevel)
{
    loadLevelOption(words.line);
    ASSERT_NE(gLevel, nullptr);
    EXPECT_EQ(levelPath(), dir.file("map.tmx"));
    TileMap* const level = gLevel;
    level->advance();
    dir.write("map.tmx", map("2,0,1", 3));
    ASSERT_TRUE(reloadLevel());
    EXPECT_EQ(gLevel, level);
    EXPECT_EQ(gLevel->layers[0]->cols, 3);
    EXPECT_EQ(gLevel->animationClock(), 0u);
    EXPECT_EQ(gLayerViews[0].layer, gLevel->layers[0].get());
    EXPECT_EQ(pixelAt(*gLevel->tileSet.getTile(gLevel->layers[0]->cellAt(0, 0)), 0, 0), 0x00FF00u);
}

TEST_F(LevelLoopTest, AFailedReloadWarnsAndKeepsTheLevel)
{
    loadLevelOption(words.line);
    dir.write("map.tmx", map("1,2,3", 3));
    EXPECT_FALSE(reloadLevel());
    EXPECT_NE(log.text().find("Warning: " + dir.file("map.tmx") + ":6: gid 3 is in no tileset\n"),
              std::string::npos)
        << log.text();
    EXPECT_EQ(gLevel->layers[0]->cols, 2);
}

TEST_F(LevelLoopTest, WithoutTheOptionF5DoesNothing)
{
    loadLevelOption(Words({"prog"}).line);
    EXPECT_EQ(levelPath(), "");
    EXPECT_FALSE(reloadLevel());
    EXPECT_EQ(gLevel, nullptr);
    EXPECT_EQ(log.text(), "");
}

TEST_F(LevelLoopTest, StartUpFailuresAreTheUsersErrors)
{
    dir.write("bad.tmx", map("9", 1));
    const struct {
        const char* name;
        std::vector<std::string> words;
        std::string message;
    } rows[] = {
        {"no file named", {"prog", "-level"}, "-level needs a value"},
        {"a map that fails",
         {"prog", "-level", dir.file("bad.tmx")},
         "-level: " + dir.file("bad.tmx") + ":6: gid 9 is in no tileset"},
    };
    for (const auto& row : rows) {
        try {
            loadLevelOption(Words(row.words).line);
            ADD_FAILURE() << row.name << " loaded";
        } catch (const Exception& error) {
            EXPECT_EQ(error.what(), row.message) << row.name;
        }
        EXPECT_EQ(gLevel, nullptr) << row.name;
    }
}

} // namespace
