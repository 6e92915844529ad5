// The level file reader on hand-made bytes, and the cell stream writer's limits.
#include "levelbytes.h"
#include "tarvo/tiles/levelfile.h"

#include <gtest/gtest.h>

using namespace tarvo;

namespace
{

bool readBytes(const std::vector<uint8_t>& bytes, LevelFile& level, LevelError& error)
{
    MemoryLevelSource source(bytes.data(), bytes.size());
    return readLevelFile(source, level, error, false);
}

// Each stream sits in the second layer; the background and value after it must still be
// found, which proves the stream consumed exactly its own bytes.
TEST(LevelFileTest, CellStreamsCoverOneMoreColumnAndRow)
{
    struct Case {
        const char* name;
        int cols, rows;
        std::vector<int> stream;
        std::vector<int16_t> cells;
    };
    const Case cases[] = {
        {"run of 3 before the first literal", 4, 1, {3, 9, -1}, {-1, -1, -1, 9}},
        {"2 x 1 consumes six positions", 2, 1, {0, 1, 0, 2, 0, 3, 0, 4, 0, 5, 0, 6, 0}, {1, 2}},
        {"negative run at the start", 3, 2, {-5}, {-1, -1, -1, -1, -1, -1}},
        {"negative run after a literal", 2, 2, {0, 7, -1}, {7, -1, -1, -1}},
        {"literal in the dropped column", 2, 2, {2, 8, 0, 3, 10}, {-1, -1, 3, -1}},
        {"literals 255 and 0", 2, 1, {0, 255, 0, 0, 4}, {255, 0}},
        {"zero rows still read one row", 3, 0, {0, 1, 3}, {}},
        {"zero columns read one per row", 0, 2, {1, 4, 1}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LevelParts parts;
        parts.layer2 = cellStream(c.cols, c.rows, c.stream);
        parts.backgrounds = {{-7, 8, 20, 0, 3, 1}};
        parts.values[4] = 1234;
        LevelFile level;
        LevelError error;
        ASSERT_TRUE(readBytes(assembleLevel(parts), level, error)) << error.message;
        EXPECT_EQ(level.layers[1].cols, c.cols);
        EXPECT_EQ(level.layers[1].rows, c.rows);
        EXPECT_EQ(level.layers[1].cells, c.cells);
        ASSERT_EQ(level.backgrounds.size(), 1u);
        EXPECT_EQ(level.backgrounds[0].x, -7);
        EXPECT_EQ(level.backgrounds[0].image, 3);
        EXPECT_EQ(level.value5, 1234);
    }
}

TEST(LevelFileTest, EveryTruncationFailsInsideTheFile)
{
    LevelParts parts;
    parts.tileImages = {1};
    parts.translations = {0, 1};
    parts.layer1 = cellStream(2, 2, {0, 1, 0, 0, 7});
    parts.backgrounds = {{0, 0, 10, 0, 1, 1}};
    parts.layer3 = cellStream(1, 1, {3, 5, 0});
    const std::vector<uint8_t> whole = assembleLevel(parts);
    for (size_t size = 0; size <= whole.size(); ++size) {
        LevelFile level;
        LevelError error;
        const bool read = readBytes({whole.begin(), whole.begin() + size}, level, error);
        EXPECT_EQ(read, size == whole.size()) << "prefix of " << size;
        if (!read) {
            EXPECT_LE(error.offset, static_cast<long>(size));
            EXPECT_FALSE(error.message.empty());
        }
    }
}

TEST(LevelFileTest, RejectsSizesThatCannotBeHeld)
{
    LevelParts negative;
    negative.layer2 = cellStream(-2, 3, {0});
    LevelParts huge;
    huge.layer3 = cellStream(32767, 32767, {-1});
    for (const auto& [parts, message] :
         {std::pair{negative, "negative size"}, {huge, "too large"}}) {
        LevelFile level;
        LevelError error;
        EXPECT_FALSE(readBytes(assembleLevel(parts), level, error));
        EXPECT_NE(error.message.find(message), std::string::npos) << error.message;
    }
    // A chunk of 2 GB in a tiny file fails at its body; a negative length fails at itself.
    const long chunkLength = 12 + 2 + 1 + 8 + 12 + 1 + 10;
    for (const int64_t length : {0x7FFFFFFFLL, -1LL}) {
        LevelBytes bytes;
        bytes.zeros(chunkLength - 11).u8(1).zeros(10).i32(length).zeros(3);
        LevelFile level;
        LevelError error;
        EXPECT_FALSE(readBytes(bytes.bytes, level, error));
        EXPECT_EQ(error.offset, chunkLength + (length > 0 ? 4 : 0)) << length;
    }
}

TEST(LevelFileTest, WriterEndsWithTheRemainingRunAndRefusesLongerRuns)
{
    // 200 x 201: a run before the last cell covers 200 rows of 201 positions and 199 more.
    LevelLayerData layer{200, 201, std::vector<int16_t>(200 * 201, kEmptyCell)};
    layer.cells.back() = 1;
    std::vector<uint8_t> bytes;
    std::string message;
    EXPECT_FALSE(writeCellStream(layer, bytes, message));
    EXPECT_NE(message.find("40399 empty cells"), std::string::npos) << message;
    // The same run at the end of the stream becomes -1, which empties the rest.
    std::swap(layer.cells.front(), layer.cells.back());
    bytes.clear();
    ASSERT_TRUE(writeCellStream(layer, bytes, message)) << message;
    EXPECT_EQ(bytes, cellStream(200, 201, {0, 1, -1}));
}

} // namespace
