// The level text and the Tiled maps: where levelc points at a mistake in the text, and that a
// level converts to either and back without loss.
#include "levelformat.h"
#include "support/gamedir.h"
#include "tarvo/tiles/levelfile.h"
#include "tiledwrite.h"
#include "tiles/tiledmap.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <random>

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
        {kMinimal + "tileprop 0 solid\n", 10, "tile 0 is not one of the level's 0 tiles"},
        {kMinimal + "tile 0 3\ntileprop 0 hp int 07\n", 11, "property hp is not valid: not an int"},
        {kMinimal + "objectprop hp int 1\n", 10, "objectprop before any object"},
        {kMinimal + "object 1 \"a b 0 0 0 0 -1\n", 10, "a quoted word does not end"},
        {kMinimal + "trailer 01\nobject 1 \"a\" \"\" 0 0 0 0 -1 # x\n", 11,
         "a trailer cannot be stored beside the extension block"},
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

// Properties in name order with values of every type, texts that need quoting and escapes.
template <typename Pick>
std::vector<Property> randomProperties(Pick& pick)
{
    static const char* const names[] = {"a", "hp", "label x", "solidity", "\"#\""};
    static const char* const values[][4] = {{"", " # \"q\" \\", "line\none", "\xc3\xa9\t"},
                                            {"0", "-7", "2147483647", "-2147483648"},
                                            {"0.25", "-1e-05", "3", "1e5"},
                                            {"true", "false", "true", "false"}};
    std::vector<Property> list;
    for (const char* name : names) {
        if (pick(0, 2) == 0) {
            const auto type = static_cast<size_t>(pick(0, 3));
            list.push_back({name, static_cast<Property::Type>(type), values[type][pick(0, 3)]});
        }
    }
    std::sort(list.begin(), list.end(),
              [](const Property& a, const Property& b) { return a.name < b.name; });
    return list;
}

// Tile records and animations for some of the level's tiles, and objects, each with what the
// block can hold at its ends.
template <typename Pick>
void randomExtension(LevelFile& level, Pick& pick)
{
    LevelExtension& extension = level.extension;
    extension.collisionLayer = static_cast<uint8_t>(pick(1, 3));
    const auto tiles = static_cast<int16_t>(level.tileImages.size());
    for (int16_t tile = 0; tile < tiles; ++tile) {
        TileProperties properties{pick(0, 1) == 1, pick(0, 1) == 1, pick(0, 1) == 1,
                                  randomProperties(pick)};
        if (properties.solid || properties.oneway || properties.hazard ||
            !properties.custom.empty()) {
            extension.tiles.push_back({tile, properties});
        }
        if (pick(0, 1)) {
            LevelAnimationData animation{tile, {}};
            for (int64_t frame = pick(1, 3); frame > 0; --frame) {
                animation.frames.push_back(
                    {static_cast<int16_t>(pick(0, tiles - 1)),
                     static_cast<int32_t>(pick(0, 1) ? pick(0, 999) : INT32_MAX)});
            }
            extension.animations.push_back(animation);
        }
    }
    for (int64_t count = pick(0, 2); count > 0; --count) {
        const auto int32 = [&] { return static_cast<int32_t>(pick(INT32_MIN, INT32_MAX)); };
        LevelObject object{int32(),
                           pick(0, 1) ? "" : "coin \"7\"",
                           pick(0, 1) ? "" : "spawn",
                           int32(),
                           int32(),
                           int32(),
                           int32(),
                           tiles > 0 && pick(0, 1) ? static_cast<int32_t>(pick(0, tiles - 1)) : -1,
                           randomProperties(pick),
                           ""};
        extension.objects.push_back(object);
    }
}

// Every field of a level drawn, so that a conversion that loses anything shows. Small numbers
// repeat, name tiles and table entries or fall past them; the ends of each range come up half the
// time, as that is where conversions break (a divisor of -32768).
LevelFile randomLevel(std::mt19937& random)
{
    const auto pick = [&](int64_t low, int64_t high) {
        return std::uniform_int_distribution<int64_t>(low, high)(random);
    };
    const auto extreme = [&](int64_t low, int64_t high) {
        return pick(0, 1) ? (pick(0, 1) ? low : high) : pick(low, high);
    };
    const auto byte = [&] { return static_cast<uint8_t>(pick(0, 255)); };
    const auto int16 = [&] { return static_cast<int16_t>(extreme(INT16_MIN, INT16_MAX)); };
    const auto int32 = [&] { return static_cast<int32_t>(extreme(INT32_MIN, INT32_MAX)); };
    LevelFile level;
    level.header[pick(0, 11)] = level.reserved1[pick(0, 7)] = level.reserved3[pick(0, 2)] = byte();
    level.value1 = int32();
    level.value6 = level.reserved2 = int16();
    level.tileImages.resize(pick(0, 4), int16());
    level.chunks.resize(pick(0, 2), {{byte()}, std::vector<uint8_t>(pick(0, 5), byte())});
    for (auto* bytes : {&level.block1, &level.records2, &level.records7, &level.trailer}) {
        bytes->resize(pick(0, 2) * (bytes == &level.records7 ? kRecordSize7 : kRecordSize2),
                      byte());
    }
    level.translations.resize(pick(0, 5));
    for (LevelTranslationData& entry : level.translations) {
        entry = {pick(0, 1) ? static_cast<int32_t>(pick(-1, 4)) : int32(), {byte()}};
    }
    for (LevelLayerData& layer : level.layers) {
        layer.cols = static_cast<int16_t>(pick(0, 5));
        layer.rows = static_cast<int16_t>(pick(0, 5));
        for (int i = 0; i < layer.cols * layer.rows; ++i) {
            const int64_t cell = pick(0, 1) ? pick(0, 5) : extreme(0, 255);
            layer.cells.push_back(pick(0, 1) ? kEmptyCell : static_cast<int16_t>(cell));
        }
    }
    level.backgrounds.resize(pick(0, 3));
    for (LevelBackgroundData& background : level.backgrounds) {
        background = {int32(), int32(),
                      int16(), static_cast<int16_t>(pick(-1, 1)),
                      byte(),  static_cast<uint8_t>(extreme(0, 255)),
                      {byte()}};
    }
    if (level.trailer.empty()) {
        randomExtension(level, pick);
    }
    return level;
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
