// Levels as Tiled maps: whatever a level file holds, its map in either form compiles back to
// the same bytes.
#include "support/gamedir.h"
#include "tiledwrite.h"
#include "tiles/tiledmap.h"
#include "tools/randomlevel.h"

#include <gtest/gtest.h>

using namespace tarvo;

namespace
{

TEST(TiledWrite, EveryLevelComesBackFromItsMapByteForByte)
{
    const TempDir dir;
    std::mt19937 random(23);
    for (int round = 0; round < 60; ++round) {
        std::vector<uint8_t> bytes;
        LevelError error;
        ASSERT_TRUE(writeLevelFile(randomLevel(random), bytes, error)) << error.message;
        LevelFile level;
        MemoryLevelSource source(bytes.data(), bytes.size());
        ASSERT_TRUE(readLevelFile(source, level, error, true)) << error.message;
        for (const auto& [map, tileset] :
             {std::pair{"map.tmx", "set.tsx"}, {"map.tmj", "set.tsj"}}) {
            SCOPED_TRACE("round " + std::to_string(round) + ", " + map);
            const std::string path = dir.file(map);
            std::string message;
            ASSERT_TRUE(writeTiledMap(level, path, dir.file(tileset), message)) << message;
            TiledLevel compiled;
            try {
                levelFromTiledMap(readTiledMap(path), false, compiled);
            } catch (const TiledError& failure) {
                FAIL() << failure.message;
            }
            std::vector<uint8_t> again;
            ASSERT_TRUE(writeLevelFile(compiled.level, again, error)) << error.message;
            EXPECT_EQ(again, bytes);
            EXPECT_EQ(compiled.warnings, std::vector<std::string>());
        }
    }
}

} // namespace
