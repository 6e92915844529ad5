// The level text and the Tiled maps: where levelc points at a mistake in the text, and that a
// level converts to either and back without loss.
#include "levelformat.h"
#include "support/gamedir.h"
#include "tarvo/tiles/levelfile.h"
#include "tiledmap.h"
#include "tools/randomlevel.h"

#include <gtest/gtest.h>

using namespace tarvo;

namespace
{

const std::string kMinimal = "header 00 00 00 00 00 00 00 00 00 00 00 00\n"
                             "reserved1 00 00 00 00 00 00 00 00\n"
                             "values 0 0 0 0 0 0\n"
                             "reserved2 00 00\n"
                             "layer 1 2 1\n"
                             "|   .   3\n"
                             "layer 2 0 0\n"
                             "reserved3 00 00 00\n"
                             "layer 3 0 0\n";

TEST(LevelFormatTest, ReportsTheLineOfEachMistake)
{
    const auto edit = [](const std::string& from, const std::string& to) {
        return std::string(kMinimal).replace(kMinimal.find(from), from.size(), to);
    };
    const std::tuple<std::string, int, const char*> cases[] = {
        {edit("values 0 0 0", "values 0 0 32768"), 3, "value 3 must be a number from -32768"},
        {edit("|   .   3", "| 256 ."), 6, "a cell must be"},
        // The next directive stands where the second row should be.
        {edit("layer 1 2 1", "layer 1 2 2"), 7, "expected a row of layer 1"},
        {edit("layer 3 0 0", "layer 3 1 1"), 9, "layer 3 is missing 1 rows"},
        {edit("layer 2 0 0\n", ""), 8, "missing 'layer 2'"},
        {"# level\n\n" + edit("values", "valuez"), 5, "unknown directive 'valuez'"},
        {kMinimal, 0, ""},
    };
    for (const auto& [text, expectedLine, expected] : cases) {
        LevelFile level;
        int line = 0;
        std::string message;
        EXPECT_EQ(levelFromText(text, level, line, message), expectedLine == 0) << text;
        EXPECT_EQ(line, expectedLine) << expected;
        EXPECT_NE(message.find(expected), std::string::npos) << message;
    }
}

// Binary to text and to either map form and back, through the reader the engine loads with.
TEST(LevelFormatTest, EveryLevelComesBackFromItsTextAndItsMapsByteForByte)
{
    const TempDir dir;
    std::mt19937 random(23);
    for (int round = 0; round < 60; ++round) {
        SCOPED_TRACE(round);
        const LevelFile generated = randomLevel(random);
        std::vector<uint8_t> bytes;
        LevelError error;
        ASSERT_TRUE(writeLevelFile(generated, bytes, error)) << error.message;
        LevelFile level;
        MemoryLevelSource source(bytes.data(), bytes.size());
        ASSERT_TRUE(readLevelFile(source, level, error, true)) << error.message;
        const std::string text = levelToText(level);
        EXPECT_EQ(text, levelToText(generated));
        LevelFile parsed;
        int line = 0;
        std::string message;
        ASSERT_TRUE(levelFromText(text, parsed, line, message)) << line << ": " << message;
        std::vector<uint8_t> again;
        ASSERT_TRUE(writeLevelFile(parsed, again, error)) << error.message;
        EXPECT_EQ(again, bytes);
        for (const auto& [map, tileset] :
             {std::pair{"map.tmx", "set.tsx"}, {"map.tmj", "set.tsj"}}) {
            SCOPED_TRACE(map);
            ASSERT_TRUE(writeTiledMap(level, dir.file(map), dir.file(tileset), message)) << message;
            TiledLevel compiled;
            try {
                levelFromTiledMap(readTiledMap(dir.file(map)), false, compiled);
            } catch (const TiledError& failure) {
                FAIL() << failure.message;
            }
            ASSERT_TRUE(writeLevelFile(compiled.level, again, error)) << error.message;
            EXPECT_EQ(again, bytes);
            EXPECT_EQ(compiled.warnings, std::vector<std::string>());
        }
    }
}

} // namespace
