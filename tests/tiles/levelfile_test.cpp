// The level file reader and writer: cell streams, skipped blocks, malformed files.
#include "levelbytes.h"
#include "tiles/levelfile.h"

#include <gtest/gtest.h>

namespace
{

bool readBytes(const std::vector<uint8_t>& bytes, LevelFile& level, LevelError& error,
               bool keepTrailer = false)
{
    MemoryLevelSource source(bytes.data(), bytes.size());
    return readLevelFile(source, level, error, keepTrailer);
}

std::vector<int16_t> cells(std::initializer_list<int> values)
{
    return std::vector<int16_t>(values.begin(), values.end());
}

struct StreamCase {
    const char* name;
    int cols;
    int rows;
    std::vector<StreamItem> items;
    std::vector<int16_t> expected;
};

// Each stream sits in the second layer; the background after it must still be found, which
// proves the stream consumed exactly its own bytes.
TEST(LevelFileTest, CellStreamsCoverOneMoreColumnAndRow)
{
    const StreamCase cases[] = {
        {"run of 3 before the first literal",
         4,
         1,
         {{'R', 3}, {'b', 9}, {'R', -1}},
         cells({-1, -1, -1, 9})},
        {"2 x 1 consumes six positions",
         2,
         1,
         {{'R', 0},
          {'b', 1},
          {'R', 0},
          {'b', 2},
          {'R', 0},
          {'b', 3},
          {'R', 0},
          {'b', 4},
          {'R', 0},
          {'b', 5},
          {'R', 0},
          {'b', 6},
          {'R', 0}},
         cells({1, 2})},
        {"negative run at the start empties the layer",
         3,
         2,
         {{'R', -5}},
         cells({-1, -1, -1, -1, -1, -1})},
        {"negative run after a literal",
         2,
         2,
         {{'R', 0}, {'b', 7}, {'R', -1}},
         cells({7, -1, -1, -1})},
        {"literal in the dropped column",
         2,
         2,
         {{'R', 2}, {'b', 8}, {'R', 0}, {'b', 3}, {'R', 10}},
         cells({-1, -1, 3, -1})},
        {"literal 255 and 0",
         2,
         1,
         {{'R', 0}, {'b', 255}, {'R', 0}, {'b', 0}, {'R', 4}},
         cells({255, 0})},
        {"zero rows still read one row of positions", 3, 0, {{'R', 0}, {'b', 1}, {'R', 3}}, {}},
        {"zero columns read one column per row", 0, 2, {{'R', 1}, {'b', 4}, {'R', 1}}, {}},
    };
    for (const StreamCase& c : cases) {
        SCOPED_TRACE(c.name);
        LevelParts parts;
        parts.layer2 = cellStream(c.cols, c.rows, c.items);
        parts.backgrounds = {{-7, 8, 20, 0, 3, 1}};
        parts.values[4] = 1234;
        LevelFile level;
        LevelError error;
        ASSERT_TRUE(readBytes(assembleLevel(parts), level, error)) << error.message;
        EXPECT_EQ(level.layers[1].cols, c.cols);
        EXPECT_EQ(level.layers[1].rows, c.rows);
        EXPECT_EQ(level.layers[1].cells, c.expected);
        ASSERT_EQ(level.backgrounds.size(), 1u);
        EXPECT_EQ(level.backgrounds[0].x, -7);
        EXPECT_EQ(level.backgrounds[0].image, 3);
        EXPECT_EQ(level.value5, 1234);
    }
}

TEST(LevelFileTest, ReadsEveryFieldInOrder)
{
    LevelParts parts;
    parts.tileImages = {12, 5, -3};
    parts.translations = {4, -1, 70000};
    parts.layer1 = cellStream(2, 1, {{'R', 1}, {'b', 2}, {'R', 4}});
    parts.layer3 = cellStream(1, 1, {{'R', 0}, {'b', 42}, {'R', 3}});
    parts.backgrounds = {{1, 2, 3, 4, 255, 2}, {-100000, 5, 0, -7, 0, 9}};
    const int values[6] = {-2000000, 2000000, -32768, 32767, -1, 77};
    std::copy(values, values + 6, parts.values);
    LevelFile level;
    LevelError error;
    ASSERT_TRUE(readBytes(assembleLevel(parts), level, error)) << error.message;
    EXPECT_EQ(level.tileImages, cells({12, 5, -3}));
    EXPECT_EQ(level.block1, (std::vector<uint8_t>{0xA1, 0xA2, 0xA3}));
    ASSERT_EQ(level.translations.size(), 3u);
    EXPECT_EQ(level.translations[2].value, 70000);
    EXPECT_EQ(level.reserved2, 0x7777);
    EXPECT_EQ(level.layers[0].cells, cells({-1, 2}));
    EXPECT_EQ(level.layers[2].cells, cells({42}));
    ASSERT_EQ(level.backgrounds.size(), 2u);
    EXPECT_EQ(level.backgrounds[1].x, -100000);
    EXPECT_EQ(level.backgrounds[1].yDivisor, -7);
    EXPECT_EQ(level.backgrounds[1].colorKey, 9);
    EXPECT_EQ(level.chunks.size(), 1u);
    EXPECT_EQ(level.records4.size(), 2 * kRecordSize4);
    EXPECT_EQ(level.records8.size(), 2 * kRecordSize8);
    const int32_t read[6] = {level.value1, level.value2, level.value3,
                             level.value4, level.value5, level.value6};
    EXPECT_TRUE(std::equal(values, values + 6, read));
    // The translation is looked up, never indexed blindly.
    EXPECT_EQ(translateCell(level, kEmptyCell), 4);
    EXPECT_EQ(translateCell(level, 2), 70000);
    EXPECT_EQ(translateCell(level, 3), -1);
    EXPECT_EQ(translateCell(LevelFile{}, kEmptyCell), -1);
}

TEST(LevelFileTest, EveryTruncationFailsInsideTheFile)
{
    LevelParts parts;
    parts.tileImages = {1};
    parts.translations = {0, 1};
    parts.layer1 = cellStream(2, 2, {{'R', 0}, {'b', 1}, {'R', 0}, {'b', 0}, {'R', 7}});
    parts.backgrounds = {{0, 0, 10, 0, 1, 1}};
    parts.layer3 = cellStream(1, 1, {{'R', 3}, {'b', 5}, {'R', 0}});
    const std::vector<uint8_t> whole = assembleLevel(parts);
    for (size_t size = 0; size < whole.size(); ++size) {
        const std::vector<uint8_t> prefix(whole.begin(), whole.begin() + size);
        LevelFile level;
        LevelError error;
        EXPECT_FALSE(readBytes(prefix, level, error)) << "prefix of " << size;
        EXPECT_LE(error.offset, static_cast<long>(size));
        EXPECT_FALSE(error.message.empty());
    }
    LevelFile level;
    LevelError error;
    EXPECT_TRUE(readBytes(whole, level, error));
}

struct MalformedCase {
    const char* name;
    LevelParts parts;
    const char* message;
};

TEST(LevelFileTest, RejectsSizesThatCannotBeHeld)
{
    LevelParts negative;
    negative.layer2 = cellStream(-2, 3, {{'R', 0}});
    LevelParts huge;
    huge.layer3 = cellStream(32767, 32767, {{'R', -1}});
    const MalformedCase cases[] = {
        {"negative layer size", negative, "negative size"},
        {"layer too large", huge, "too large"},
    };
    for (const MalformedCase& c : cases) {
        SCOPED_TRACE(c.name);
        LevelFile level;
        LevelError error;
        EXPECT_FALSE(readBytes(assembleLevel(c.parts), level, error));
        EXPECT_NE(error.message.find(c.message), std::string::npos) << error.message;
    }

    // A chunk claiming 2 GB, and a record count claiming 12 GB, in a tiny file.
    LevelBytes chunk;
    chunk.zeros(12).i16(0).u8(0).zeros(8).zeros(12).u8(1).zeros(10).i32(0x7FFFFFFF).zeros(3);
    LevelBytes negativeChunk;
    negativeChunk.zeros(12).i16(0).u8(0).zeros(8).zeros(12).u8(1).zeros(10).i32(-1);
    for (const LevelBytes* bytes : {&chunk, &negativeChunk}) {
        LevelFile level;
        LevelError error;
        EXPECT_FALSE(readBytes(bytes->bytes, level, error));
        EXPECT_EQ(error.offset, 12 + 2 + 1 + 8 + 12 + 1 + 10 + (bytes == &chunk ? 4 : 0));
    }
}

TEST(LevelFileTest, WriterChoosesRunsAndEndsWithTheRemainingCount)
{
    LevelLayerData layer;
    layer.cols = 2;
    layer.rows = 1;
    layer.cells = cells({-1, 5});
    std::vector<uint8_t> bytes;
    std::string message;
    ASSERT_TRUE(writeCellStream(layer, bytes, message)) << message;
    // Positions: (0,0) run, (1,0) literal 5, then (2,0), (0,1), (1,1), (2,1) empty.
    EXPECT_EQ(bytes, cellStream(2, 1, {{'R', 1}, {'b', 5}, {'R', 4}}));

    // 200 x 201 with only the last cell set: the run before it covers 200 rows of 201
    // positions plus 199 more, 40399 in all, too many for an int16.
    LevelLayerData tooLong;
    tooLong.cols = 200;
    tooLong.rows = 201;
    tooLong.cells.assign(200 * 201, kEmptyCell);
    tooLong.cells.back() = 1;
    bytes.clear();
    EXPECT_FALSE(writeCellStream(tooLong, bytes, message));
    EXPECT_NE(message.find("40399 empty cells"), std::string::npos) << message;

    // A long trailing run becomes -1, which the reader turns back into empty cells.
    tooLong.cells.back() = kEmptyCell;
    tooLong.cells.front() = 1;
    bytes.clear();
    ASSERT_TRUE(writeCellStream(tooLong, bytes, message));
    EXPECT_EQ(bytes.size(), 4u + 2 + 1 + 2);
    EXPECT_EQ(bytes[7], 0xFF);
    EXPECT_EQ(bytes[8], 0xFF);
}

} // namespace
