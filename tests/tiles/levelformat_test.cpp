// The level text: what levelc accepts, where it points when it does not, and that text and
// binary convert into each other without loss.
#include "levelformat.h"
#include "tiles/levelfile.h"

#include <gtest/gtest.h>
#include <random>

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
    struct Case {
        const char* name;
        std::string text;
        int line;
        const char* message;
    };
    const auto replace = [](std::string text, const std::string& from, const std::string& to) {
        return text.replace(text.find(from), from.size(), to);
    };
    const Case cases[] = {
        {"unknown directive", kMinimal + "tiles 1\n", 10, "unknown directive 'tiles'"},
        {"short hex", replace(kMinimal, "reserved3 00 00 00", "reserved3 00 0 00"), 8,
         "'0' is not a two-digit hex byte"},
        {"missing hex", replace(kMinimal, "reserved3 00 00 00", "reserved3 00 00"), 8,
         "missing a hex byte"},
        {"extra word", replace(kMinimal, "values 0 0 0 0 0 0", "values 0 0 0 0 0 0 0"), 3,
         "unexpected '0'"},
        {"value 3 is an int16", replace(kMinimal, "values 0 0 0", "values 0 0 32768"), 3,
         "value 3 must be a number from -32768 to 32767"},
        {"row too short", replace(kMinimal, "|   .   3", "|   ."), 6, "row has 1 cells, not 2"},
        {"cell above a byte", replace(kMinimal, "|   .   3", "| 256 3"), 6, "a cell must be"},
        // The next directive stands where the second row should be.
        {"missing rows", replace(kMinimal, "layer 1 2 1", "layer 1 2 2"), 7,
         "expected a row of layer 1"},
        {"rows missing at the end", replace(kMinimal, "layer 3 0 0", "layer 3 1 1"), 9,
         "layer 3 is missing 1 rows"},
        {"header twice", kMinimal + "header 00 00 00 00 00 00 00 00 00 00 00 00\n", 10,
         "'header' given twice"},
        {"layer missing", replace(kMinimal, "layer 2 0 0\n", ""), 8, "missing 'layer 2'"},
        {"tile out of order", "tile 1 5\n" + kMinimal, 1, "tile 1 out of order (0 expected)"},
        {"chunkdata first", "chunkdata 00\n" + kMinimal, 1, "chunkdata before any chunk"},
        {"comment and blank lines count", "# level\n\n" + replace(kMinimal, "values", "valuez"), 5,
         "unknown directive 'valuez'"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LevelFile level;
        int line = 0;
        std::string message;
        EXPECT_FALSE(levelFromText(c.text, level, line, message));
        EXPECT_EQ(line, c.line);
        EXPECT_NE(message.find(c.message), std::string::npos) << message;
    }
    LevelFile level;
    int line = 0;
    std::string message;
    EXPECT_TRUE(levelFromText(kMinimal, level, line, message)) << line << ": " << message;
}

TEST(LevelFormatTest, TextAndBinaryConvertWithoutLoss)
{
    std::mt19937 random(24);
    for (int round = 0; round < 30; ++round) {
        SCOPED_TRACE(round);
        LevelFile level;
        auto byte = [&] { return static_cast<uint8_t>(random() & 0xFF); };
        level.header[3] = byte();
        level.reserved1[7] = byte();
        level.reserved3[1] = byte();
        level.reserved2 = static_cast<int16_t>(random());
        level.value1 = static_cast<int32_t>(random());
        level.value4 = static_cast<int16_t>(random());
        level.tileImages.resize(random() % 4, static_cast<int16_t>(random()));
        level.block1.resize(random() % 40, byte());
        level.chunks.resize(random() % 3);
        for (LevelChunkData& chunk : level.chunks) {
            chunk.head[9] = byte();
            chunk.body.resize(random() % 40, byte());
        }
        level.records2.resize(kRecordSize2 * (random() % 2), byte());
        level.records7.resize(kRecordSize7 * (random() % 3), byte());
        level.records8.resize(kRecordSize8 * (random() % 2), byte());
        level.translations.resize(random() % 4);
        for (LevelTranslationData& entry : level.translations) {
            entry.value = static_cast<int32_t>(random());
            entry.reserved[0] = byte();
        }
        for (LevelLayerData& layer : level.layers) {
            layer.cols = static_cast<int16_t>(random() % 6);
            layer.rows = static_cast<int16_t>(random() % 6);
            layer.cells.resize(static_cast<size_t>(layer.cols * layer.rows));
            for (int16_t& cell : layer.cells) {
                cell = random() % 2 ? static_cast<int16_t>(byte()) : kEmptyCell;
            }
        }
        level.backgrounds.resize(random() % 3);
        for (LevelBackgroundData& background : level.backgrounds) {
            background.y = static_cast<int32_t>(random());
            background.yDivisor = static_cast<int16_t>(random());
            background.image = byte();
            background.reserved[5] = byte();
        }
        level.trailer.resize(random() % 40, byte());

        std::vector<uint8_t> bytes;
        LevelError error;
        ASSERT_TRUE(writeLevelFile(level, bytes, error)) << error.message;
        // binary -> text -> binary, through the same reader the engine loads with
        LevelFile read;
        MemoryLevelSource source(bytes.data(), bytes.size());
        ASSERT_TRUE(readLevelFile(source, read, error, true)) << error.message;
        const std::string text = levelToText(read);
        LevelFile parsed;
        int line = 0;
        std::string message;
        ASSERT_TRUE(levelFromText(text, parsed, line, message)) << line << ": " << message;
        std::vector<uint8_t> again;
        ASSERT_TRUE(writeLevelFile(parsed, again, error)) << error.message;
        EXPECT_EQ(again, bytes);
        EXPECT_EQ(levelToText(parsed), text);
        EXPECT_EQ(text, levelToText(level));
    }
}

TEST(LevelFormatTest, FirstLayerRowsShowTheirTranslation)
{
    std::string text = kMinimal;
    text.insert(text.find("reserved2"), "translation 0 -1 00 00 00 00 00 00\n"
                                        "translation 1 40 00 00 00 00 00 00\n");
    text.replace(text.find("|   .   3"), 9, "|   .   1");
    LevelFile level;
    int line = 0;
    std::string message;
    ASSERT_TRUE(levelFromText(text, level, line, message)) << message;
    const std::string out = levelToText(level);
    EXPECT_NE(out.find("|   .   1  #  -1  40\n"), std::string::npos) << out;
}

} // namespace
