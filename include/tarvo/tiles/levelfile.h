/// @file
/// The level file's complete content, field by field, with its reader and writer. The engine's
/// loader, the level compiler and the level dumper all go through this one description, so the
/// three cannot disagree about the format. All integers in the file are little-endian.
#pragma once

#include "tarvo/api.h"
#include "tarvo/tiles/properties.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tarvo
{

/// The empty value of a cell stream: a position covered by a run count, not by a literal.
constexpr int16_t kEmptyCell = -1;

/// Bound on a layer's cells: a negative run count lets a few bytes describe any size, so the
/// file's length cannot bound the allocation.
constexpr int64_t kMaxLayerCells = 1 << 20;

/// One tile layer of the file.
struct LevelLayerData {
    int16_t cols = 0; ///< Width in cells, 0 or more.
    int16_t rows = 0; ///< Height in cells, 0 or more.
    /// cols * rows, row-major: a literal byte (0..255) or kEmptyCell. The first layer's literals
    /// are translation-table indices, the others' are tile numbers.
    std::vector<int16_t> cells;
};

/// One background record; the loader makes a Background of it.
struct LevelBackgroundData {
    int32_t x = 0;        ///< Background::x.
    int32_t y = 0;        ///< Background::y.
    int16_t xDivisor = 0; ///< Background::xDivisor; non-zero also repeats the image sideways.
    int16_t yDivisor = 0; ///< Background::yDivisor.
    uint8_t image = 0;    ///< The image number N of "demo1/bg/BG%04d.PNG".
    uint8_t colorKey = 0; ///< 0 black, 1 white, 2 yellow, else none.
    std::array<uint8_t, 6> reserved{}; ///< Kept, read by nothing.
};

/// One entry of the translation table from first-layer literals to tile numbers.
struct LevelTranslationData {
    int32_t value = 0;                 ///< The tile number.
    std::array<uint8_t, 6> reserved{}; ///< Kept, read by nothing.
};

/// A record of the first skipped list: 10 bytes, then a length-prefixed body.
struct LevelChunkData {
    std::array<uint8_t, 10> head{}; ///< The fixed part.
    std::vector<uint8_t> body;      ///< The body, its length written before it.
};

///@{
/// Sizes of the skipped fixed-size records, in file order.
constexpr size_t kRecordSize2 = 10;
constexpr size_t kRecordSize3 = 12;
constexpr size_t kRecordSize4 = 27;
constexpr size_t kRecordSize5 = 13;
constexpr size_t kRecordSize6 = 10;
constexpr size_t kRecordSize7 = 9;
constexpr size_t kRecordSize8 = 6;
///@}

/// One frame of a tile animation: the tile shown and for how long.
struct LevelFrameData {
    int16_t tile = 0;         ///< The tile number shown, 0 to 32766.
    int32_t milliseconds = 0; ///< As Tiled gives it, 0 or more; the engine rounds it to ticks.
};

/// The animation of one tile, which every layer draws in its place.
struct LevelAnimationData {
    int16_t tile = 0;                   ///< The animated tile's number.
    std::vector<LevelFrameData> frames; ///< At least one, at most 65535, played in a loop.
};

/// The properties of one tile number.
struct LevelTileData {
    int16_t tile = 0;          ///< The tile number.
    TileProperties properties; ///< Some flag set or some custom property.
};

/// The extension block: what the Tiled map editor knows about a level beyond its pictures. It
/// is stored in the level file's trailer, so the original loader, which never reads there,
/// still loads the file; its layout is in docs/levelformat.md.
struct LevelExtension {
    uint8_t collisionLayer = 2;                 ///< The layer collision reads, 1 to 3.
    std::vector<LevelTileData> tiles;           ///< In increasing tile number, each once.
    std::vector<LevelAnimationData> animations; ///< In increasing tile number, each once.
    /// In layer order; their places are not stored in the file.
    std::vector<LevelObject> objects;

    /// Whether there is nothing to store: a level without it has no block.
    bool empty() const
    {
        return collisionLayer == 2 && tiles.empty() && animations.empty() && objects.empty();
    }
};

/// The block's first bytes, which no trailer written by levelc starts with.
constexpr char kExtensionMagic[9] = "TARVOEXT";
/// The block's layout version; a reader refuses any other.
constexpr uint16_t kExtensionVersion = 1;

/// A whole level file, every field in file order, including those the engine reads past.
struct LevelFile {
    std::array<uint8_t, 12> header{};   ///< Kept, read by nothing.
    std::vector<int16_t> tileImages;    ///< Tile number i uses image tileImages[i].
    std::vector<uint8_t> block1;        ///< At most 255 bytes.
    std::array<uint8_t, 8> reserved1{}; ///< Kept, read by nothing.
    int32_t value1 = 0;                 ///< V1; see TileMap::values.
    int32_t value2 = 0;                 ///< V2.
    int16_t value3 = 0;                 ///< V3.
    int16_t value4 = 0;                 ///< V4.
    std::vector<LevelChunkData> chunks; ///< At most 255.
    std::vector<uint8_t> records2;      ///< kRecordSize2 bytes each, at most 255 records.
    std::vector<LevelTranslationData> translations; ///< The first layer's table.
    int16_t reserved2 = 0;                          ///< Kept, read by nothing.
    LevelLayerData layers[3];                       ///< The tile layers, first on top.
    std::vector<LevelBackgroundData> backgrounds;   ///< At most 255.
    std::vector<uint8_t> records3;                  ///< kRecordSize3 bytes each.
    std::vector<uint8_t> records4;                  ///< kRecordSize4 bytes each.
    std::vector<uint8_t> records5;                  ///< kRecordSize5 bytes each.
    std::array<uint8_t, 3> reserved3{};             ///< Kept, read by nothing.
    std::vector<uint8_t> records6; ///< kRecordSize6 bytes each, at most 255 records.
    std::vector<uint8_t> records7; ///< kRecordSize7 bytes each, at most 255 records.
    std::vector<uint8_t> records8; ///< kRecordSize8 bytes each.
    int16_t value5 = 0;            ///< V5.
    int16_t value6 = 0;            ///< V6.
    std::vector<uint8_t> trailer;  ///< Bytes after the third layer, which nothing reads.
    /// The extension block, stored in the trailer's place; a level has one or the other.
    LevelExtension extension;
};

/// Where a read or write went wrong.
struct LevelError {
    long offset = 0;     ///< The byte position of the failing field.
    std::string message; ///< What went wrong, such as "file ends inside ...".
};

/// A byte source the reader pulls each field from.
class TARVO_API LevelSource
{
public:
    virtual ~LevelSource() = default;
    /// Reads up to size bytes and returns how many arrived; fewer only at the end.
    virtual size_t read(void* buffer, size_t size) = 0;
};

/// A LevelSource over bytes in memory.
class TARVO_API MemoryLevelSource : public LevelSource
{
public:
    /// Reads size bytes at data, which must outlive the source; not copied.
    MemoryLevelSource(const uint8_t* data, size_t size) : data(data), size(size) {}
    /// The next bytes, up to count.
    size_t read(void* buffer, size_t count) override;

private:
    const uint8_t* data;
    size_t size;
    size_t position = 0;
};

/// Reads a whole level. After the third layer comes the extension block, read into
/// level.extension, or other bytes, which keepTrailer collects (the dumper wants them; the
/// engine ignores them). False with error set on a truncated or malformed file or block.
TARVO_API bool readLevelFile(LevelSource& source, LevelFile& level, LevelError& error,
                             bool keepTrailer);

/// Appends one layer's size and cell stream. False with message set when a cell is not a byte
/// or a run of empty cells before a literal does not fit an int16.
TARVO_API bool writeCellStream(const LevelLayerData& layer, std::vector<uint8_t>& bytes,
                               std::string& message);

/// The tile number a first-layer cell stands for: its translation-table entry (entry 0 for an
/// empty cell), or -1 when the table has no such entry.
TARVO_API int32_t translateCell(const LevelFile& level, int16_t cell);

/// Why a property cannot be stored: "not an int" (an Int's value is a decimal int32, written as
/// std::to_string writes it), "not a float" (a Float's is a finite decimal number), "not true
/// or false", or "" when it can.
TARVO_API std::string propertyValueError(const Property& property);

/// Why the level's extension block cannot be stored: a collision layer outside 1 to 3, tiles
/// or animations out of order or twice, a tile record with nothing in it, a tile number past
/// the level's tiles, an animation without frames or with a negative duration, properties out
/// of name order or with values propertyValueError refuses, an extension beside a trailer or a
/// trailer starting with kExtensionMagic. "" when it can.
TARVO_API std::string extensionError(const LevelFile& level);

/// Encodes a level, choosing runs for empty cells. False with error.message set when a count
/// does not fit its field, a run of empty cells before a literal is too long to encode or the
/// extension block cannot be stored (extensionError).
TARVO_API bool writeLevelFile(const LevelFile& level, std::vector<uint8_t>& bytes,
                              LevelError& error);

} // namespace tarvo
