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

// The extension block as docs/levelformat.md lays it out: tile 0 solid and hazard with an int
// property, tile 0 animated over tiles 1 and 0, and one tile object with a bool property.
LevelBytes extensionBlock(int version = 1)
{
    LevelBytes block;
    block.raw({'T', 'A', 'R', 'V', 'O', 'E', 'X', 'T'}).i16(version).u8(3);
    block.i16(1).i16(0).u8(5).i16(1).i32(2).raw({'h', 'p'}).u8(1).i32(2).raw({'-', '4'});
    block.i16(1).i16(0).i16(2).i16(1).i32(100).i16(0).i32(0);
    block.i32(1).i32(-9).i32(4).raw({'c', 'o', 'i', 'n'}).i32(0).i32(-24).i32(48).i32(24);
    block.i32(24).i32(1).i16(1).i32(2).raw({'o', 'n'}).u8(3).i32(4).raw({'t', 'r', 'u', 'e'});
    return block;
}

std::vector<uint8_t> withBlock(const std::vector<uint8_t>& block)
{
    LevelParts parts;
    parts.tileImages = {1, 2};
    return LevelBytes().raw(assembleLevel(parts)).raw(block).bytes;
}

TEST(LevelFileTest, ExtensionBlockReadsAndWritesAsLaidOut)
{
    const std::vector<uint8_t> bytes = withBlock(extensionBlock().bytes);
    LevelFile level;
    LevelError error;
    ASSERT_TRUE(readBytes(bytes, level, error)) << error.message;
    const LevelExtension& extension = level.extension;
    EXPECT_EQ(extension.collisionLayer, 3);
    ASSERT_EQ(extension.tiles.size(), 1u);
    const TileProperties& tile = extension.tiles[0].properties;
    EXPECT_EQ(std::make_tuple(tile.solid, tile.oneway, tile.hazard),
              std::make_tuple(true, false, true));
    ASSERT_EQ(tile.custom.size(), 1u);
    EXPECT_EQ(tile.custom[0].asInt(), -4);
    ASSERT_EQ(extension.animations.size(), 1u);
    const std::vector<LevelFrameData>& frames = extension.animations[0].frames;
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(std::make_pair(frames[0].tile, frames[0].milliseconds),
              std::make_pair<int16_t>(1, 100));
    ASSERT_EQ(extension.objects.size(), 1u);
    const LevelObject& object = extension.objects[0];
    EXPECT_EQ(std::make_tuple(object.id, object.name, object.type, object.x, object.y, object.width,
                              object.height, object.tile),
              std::make_tuple(-9, std::string("coin"), std::string(), -24, 48, 24, 24, 1));
    ASSERT_EQ(object.properties.size(), 1u);
    EXPECT_TRUE(object.properties[0].asBool());
    EXPECT_TRUE(level.trailer.empty());
    std::vector<uint8_t> written;
    ASSERT_TRUE(writeLevelFile(level, written, error)) << error.message;
    EXPECT_EQ(written, bytes);
}

TEST(LevelFileTest, MalformedExtensionBlocksFailToLoad)
{
    const std::vector<uint8_t> good = extensionBlock().bytes;
    const auto edited = [&](size_t at, std::vector<uint8_t> with) {
        std::vector<uint8_t> bytes = good;
        std::copy(with.begin(), with.end(), bytes.begin() + static_cast<long>(at));
        return bytes;
    };
    const size_t tileRecord = 13; // after magic, version, layer and the record count
    const size_t animation = 37;  // the first frame's tile
    const struct {
        const char* name;
        std::vector<uint8_t> block;
        const char* message;
    } rows[] = {
        {"a later version", extensionBlock(2).bytes, "extension block version 2 is not supported"},
        {"collision layer 0", edited(10, {0}), "collision layer 0 is not 1 to 3"},
        {"unknown flag", edited(tileRecord + 2, {8}), "unknown tile flags 8"},
        {"tile past the level's", edited(tileRecord, {2}),
         "tile 2 is not one of the level's 2 tiles"},
        {"unknown property type", edited(tileRecord + 11, {4}), "unknown property type 4"},
        {"int not as written", edited(tileRecord + 16, {'+'}),
         "property hp is not valid: not an int"},
        {"frame tile past the level's", edited(animation, {9}),
         "animation frame tile 9 is not one of the level's 2 tiles"},
        {"negative duration", edited(animation + 5, {0xFF}), "is negative"},
        {"bytes after it", LevelBytes().raw(good).u8(0).bytes,
         "1 bytes follow the extension block"},
        {"an object's property cut short",
         {good.begin(), good.end() - 1},
         "file ends inside the extension block's objects"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        LevelFile level;
        LevelError error;
        EXPECT_FALSE(readBytes(withBlock(row.block), level, error));
        EXPECT_NE(error.message.find(row.message), std::string::npos) << error.message;
    }
}

TEST(LevelFileTest, OtherTrailersAreReadOnlyWhenKept)
{
    // Seven bytes of the magic are no block: the loader reads past them as it always has.
    const std::vector<uint8_t> bytes = withBlock({'T', 'A', 'R', 'V', 'O', 'E', 'X'});
    for (const bool keep : {false, true}) {
        LevelFile level;
        LevelError error;
        MemoryLevelSource source(bytes.data(), bytes.size());
        ASSERT_TRUE(readLevelFile(source, level, error, keep)) << error.message;
        EXPECT_EQ(level.trailer.size(), keep ? 7u : 0u);
        EXPECT_TRUE(level.extension.empty());
    }
}

} // namespace
