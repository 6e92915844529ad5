// Level file reader and writer. All integers are little-endian; every count is checked against
// its field and every read against the end of the data before anything is stored.
#include "tarvo/tiles/levelfile.h"

#include "tiles/extensionblock.h"

#include <algorithm>
#include <cstring>

namespace tarvo
{

size_t MemoryLevelSource::read(void* buffer, size_t count)
{
    const size_t available = std::min(count, size - position);
    if (available > 0) {
        std::memcpy(buffer, data + position, available);
    }
    position += available;
    return available;
}

namespace
{

class FieldReader
{
public:
    FieldReader(LevelSource& source, LevelError& error) : error(error), source(source) {}

    bool bytes(void* buffer, size_t size, const char* field)
    {
        const size_t got = source.read(buffer, size);
        if (got != size) {
            return fail(std::string("file ends inside ") + field);
        }
        offset += static_cast<long>(size);
        return true;
    }

    bool u8(uint8_t& value, const char* field) { return bytes(&value, 1, field); }

    bool i16(int16_t& value, const char* field)
    {
        uint8_t raw[2];
        if (!bytes(raw, 2, field)) {
            return false;
        }
        value = static_cast<int16_t>(static_cast<uint16_t>(raw[0] | raw[1] << 8));
        return true;
    }

    bool i32(int32_t& value, const char* field)
    {
        uint8_t raw[4];
        if (!bytes(raw, 4, field)) {
            return false;
        }
        value = static_cast<int32_t>(
            static_cast<uint32_t>(raw[0]) | static_cast<uint32_t>(raw[1]) << 8 |
            static_cast<uint32_t>(raw[2]) << 16 | static_cast<uint32_t>(raw[3]) << 24);
        return true;
    }

    // Appends size bytes in slices, so a huge declared length cannot allocate more than the
    // data actually holds.
    bool append(std::vector<uint8_t>& out, uint64_t size, const char* field)
    {
        const long start = offset;
        uint8_t slice[4096];
        while (size > 0) {
            const size_t want = static_cast<size_t>(std::min<uint64_t>(size, sizeof slice));
            const size_t got = source.read(slice, want);
            out.insert(out.end(), slice, slice + got);
            offset += static_cast<long>(got);
            if (got != want) {
                error.offset = start;
                error.message = std::string("file ends inside ") + field;
                return false;
            }
            size -= want;
        }
        return true;
    }

    // Up to size bytes, fewer at the end of the data.
    void upTo(std::vector<uint8_t>& out, size_t size)
    {
        out.resize(size);
        out.resize(source.read(out.data(), size));
    }

    // Everything up to the end of the data.
    void rest(std::vector<uint8_t>& out)
    {
        uint8_t slice[4096];
        size_t got = 0;
        while ((got = source.read(slice, sizeof slice)) > 0) {
            out.insert(out.end(), slice, slice + got);
        }
    }

    bool fail(const std::string& message)
    {
        error.offset = offset;
        error.message = message;
        return false;
    }

    long offset = 0;
    LevelError& error;

private:
    LevelSource& source;
};

// Signed counts of zero or less mean no records.
uint64_t recordCount(int64_t count)
{
    return count > 0 ? static_cast<uint64_t>(count) : 0;
}

bool readRecords(FieldReader& in, std::vector<uint8_t>& out, int64_t count, size_t size,
                 const char* field)
{
    return in.append(out, recordCount(count) * size, field);
}

bool readHeadFields(FieldReader& in, LevelFile& level)
{
    int16_t tileCount = 0;
    if (!in.bytes(level.header.data(), level.header.size(), "the header") ||
        !in.i16(tileCount, "the tile count")) {
        return false;
    }
    level.tileImages.resize(recordCount(tileCount));
    for (int16_t& image : level.tileImages) {
        if (!in.i16(image, "the tile records")) {
            return false;
        }
    }
    uint8_t blockLength = 0;
    return in.u8(blockLength, "the first block length") &&
           in.append(level.block1, blockLength, "the first block") &&
           in.bytes(level.reserved1.data(), level.reserved1.size(), "the reserved bytes") &&
           in.i32(level.value1, "level value 1") && in.i32(level.value2, "level value 2") &&
           in.i16(level.value3, "level value 3") && in.i16(level.value4, "level value 4");
}

bool readChunks(FieldReader& in, LevelFile& level)
{
    uint8_t count = 0;
    if (!in.u8(count, "the chunk count")) {
        return false;
    }
    level.chunks.resize(count);
    for (LevelChunkData& chunk : level.chunks) {
        int32_t length = 0;
        if (!in.bytes(chunk.head.data(), chunk.head.size(), "a chunk") ||
            !in.i32(length, "a chunk length")) {
            return false;
        }
        if (length < 0) {
            in.offset -= 4;
            return in.fail("negative chunk length " + std::to_string(length));
        }
        if (!in.append(chunk.body, static_cast<uint64_t>(length), "a chunk body")) {
            return false;
        }
    }
    uint8_t count2 = 0;
    return in.u8(count2, "the second record count") &&
           readRecords(in, level.records2, count2, kRecordSize2, "the second records");
}

bool readTranslations(FieldReader& in, LevelFile& level)
{
    int16_t count = 0;
    if (!in.i16(count, "the translation count")) {
        return false;
    }
    level.translations.resize(recordCount(count));
    for (LevelTranslationData& entry : level.translations) {
        if (!in.i32(entry.value, "the translation table") ||
            !in.bytes(entry.reserved.data(), entry.reserved.size(), "the translation table")) {
            return false;
        }
    }
    return in.i16(level.reserved2, "the reserved field after the translation table");
}

// Width and height, checked before the cells are allocated: a negative run count lets a few
// bytes describe any size, so only a fixed bound keeps the allocation sane.
bool readLayerSize(FieldReader& in, LevelLayerData& layer, const char* field)
{
    const long sizeOffset = in.offset;
    if (!in.i16(layer.cols, field) || !in.i16(layer.rows, field)) {
        return false;
    }
    const std::string size = std::to_string(layer.cols) + " x " + std::to_string(layer.rows);
    const int64_t cellCount = int64_t{layer.cols} * layer.rows;
    if (layer.cols < 0 || layer.rows < 0 || cellCount > kMaxLayerCells) {
        in.offset = sizeOffset;
        const bool negative = layer.cols < 0 || layer.rows < 0;
        return in.fail(std::string(field) + (negative ? " has a negative size " + size
                                                      : " of " + size + " cells is too large"));
    }
    layer.cells.assign(static_cast<size_t>(cellCount), kEmptyCell);
    return true;
}

// The stream covers one column and one row more than the layer; those entries are read and
// dropped. A negative run count never reaches zero, so it empties the rest of the layer.
bool readLayer(FieldReader& in, LevelLayerData& layer, const char* field)
{
    if (!readLayerSize(in, layer, field)) {
        return false;
    }
    int16_t run = 0;
    if (!in.i16(run, field)) {
        return false;
    }
    for (int32_t row = 0; row <= layer.rows; ++row) {
        for (int32_t col = 0; col <= layer.cols; ++col) {
            if (run < 0) {
                return true;
            }
            if (run > 0) {
                --run;
                continue;
            }
            uint8_t literal = 0;
            if (!in.u8(literal, field) || !in.i16(run, field)) {
                return false;
            }
            if (col < layer.cols && row < layer.rows) {
                layer.cells[static_cast<size_t>(col + row * layer.cols)] = literal;
            }
        }
    }
    return true;
}

bool readBackgrounds(FieldReader& in, LevelFile& level)
{
    uint8_t count = 0;
    if (!in.u8(count, "the background count")) {
        return false;
    }
    level.backgrounds.resize(count);
    for (LevelBackgroundData& background : level.backgrounds) {
        if (!in.i32(background.x, "a background") || !in.i32(background.y, "a background") ||
            !in.i16(background.xDivisor, "a background") ||
            !in.i16(background.yDivisor, "a background") ||
            !in.u8(background.image, "a background") ||
            !in.u8(background.colorKey, "a background") ||
            !in.bytes(background.reserved.data(), background.reserved.size(), "a background")) {
            return false;
        }
    }
    return true;
}

bool readSkippedTail(FieldReader& in, LevelFile& level)
{
    int16_t count3 = 0;
    int16_t count4 = 0;
    int16_t count5 = 0;
    uint8_t count6 = 0;
    uint8_t count7 = 0;
    int32_t count8 = 0;
    return in.i16(count3, "the third record count") &&
           readRecords(in, level.records3, count3, kRecordSize3, "the third records") &&
           in.i16(count4, "the fourth record count") &&
           readRecords(in, level.records4, count4, kRecordSize4, "the fourth records") &&
           in.i16(count5, "the fifth record count") &&
           readRecords(in, level.records5, count5, kRecordSize5, "the fifth records") &&
           in.bytes(level.reserved3.data(), level.reserved3.size(), "the reserved bytes") &&
           in.u8(count6, "the sixth record count") &&
           readRecords(in, level.records6, count6, kRecordSize6, "the sixth records") &&
           in.u8(count7, "the seventh record count") &&
           readRecords(in, level.records7, count7, kRecordSize7, "the seventh records") &&
           in.i32(count8, "the eighth record count") &&
           readRecords(in, level.records8, count8, kRecordSize8, "the eighth records") &&
           in.i16(level.value5, "level value 5") && in.i16(level.value6, "level value 6");
}

// The bytes after the third layer: the extension block when they start with its magic, else a
// trailer, read only when it is kept. A file without the block reads as it always has.
bool readTrailer(FieldReader& in, LevelFile& level, bool keepTrailer)
{
    const long start = in.offset;
    std::vector<uint8_t> bytes;
    in.upTo(bytes, sizeof kExtensionMagic - 1);
    const bool block = bytes.size() == sizeof kExtensionMagic - 1 &&
                       std::equal(bytes.begin(), bytes.end(), kExtensionMagic);
    if (!block && !keepTrailer) {
        return true;
    }
    in.rest(bytes);
    if (!block) {
        level.trailer.swap(bytes);
        return true;
    }
    if (!readExtensionBlock(bytes, start, level.extension, in.error)) {
        return false;
    }
    const std::string why = extensionError(level);
    if (!why.empty()) {
        in.offset = start;
        return in.fail(why);
    }
    return true;
}

} // namespace

bool readLevelFile(LevelSource& source, LevelFile& level, LevelError& error, bool keepTrailer)
{
    FieldReader in(source, error);
    if (!readHeadFields(in, level) || !readChunks(in, level) || !readTranslations(in, level) ||
        !readLayer(in, level.layers[0], "the first layer") ||
        !readLayer(in, level.layers[1], "the second layer") || !readBackgrounds(in, level) ||
        !readSkippedTail(in, level) || !readLayer(in, level.layers[2], "the third layer")) {
        return false;
    }
    return readTrailer(in, level, keepTrailer);
}

int32_t translateCell(const LevelFile& level, int16_t cell)
{
    const size_t index = cell == kEmptyCell ? 0 : static_cast<size_t>(cell);
    return index < level.translations.size() ? level.translations[index].value : -1;
}

namespace
{

class FieldWriter
{
public:
    explicit FieldWriter(std::vector<uint8_t>& out) : out(out) {}

    void u8(uint8_t value) { out.push_back(value); }
    void i16(int32_t value)
    {
        const auto raw = static_cast<uint16_t>(value);
        out.push_back(static_cast<uint8_t>(raw & 0xFF));
        out.push_back(static_cast<uint8_t>(raw >> 8));
    }
    void i32(int64_t value)
    {
        const auto raw = static_cast<uint32_t>(value);
        for (int shift = 0; shift < 32; shift += 8) {
            out.push_back(static_cast<uint8_t>(raw >> shift & 0xFF));
        }
    }
    template <typename Bytes>
    void bytes(const Bytes& data)
    {
        out.insert(out.end(), data.begin(), data.end());
    }

private:
    std::vector<uint8_t>& out;
};

bool fits(size_t count, size_t limit, const char* what, LevelError& error)
{
    if (count <= limit) {
        return true;
    }
    error.message = std::string("too many ") + what + " (" + std::to_string(count) + ", at most " +
                    std::to_string(limit) + ")";
    return false;
}

bool wholeRecords(const std::vector<uint8_t>& records, size_t size, size_t limit, const char* what,
                  LevelError& error)
{
    if (records.size() % size != 0) {
        error.message =
            std::string(what) + " are not whole " + std::to_string(size) + "-byte records";
        return false;
    }
    return fits(records.size() / size, limit, what, error);
}

bool checkCounts(const LevelFile& level, LevelError& error)
{
    for (const LevelChunkData& chunk : level.chunks) {
        if (!fits(chunk.body.size(), INT32_MAX, "chunk bytes", error)) {
            return false;
        }
    }
    return fits(level.tileImages.size(), INT16_MAX, "tiles", error) &&
           fits(level.block1.size(), UINT8_MAX, "first block bytes", error) &&
           fits(level.chunks.size(), UINT8_MAX, "chunks", error) &&
           wholeRecords(level.records2, kRecordSize2, UINT8_MAX, "second records", error) &&
           fits(level.translations.size(), INT16_MAX, "translations", error) &&
           fits(level.backgrounds.size(), UINT8_MAX, "backgrounds", error) &&
           wholeRecords(level.records3, kRecordSize3, INT16_MAX, "third records", error) &&
           wholeRecords(level.records4, kRecordSize4, INT16_MAX, "fourth records", error) &&
           wholeRecords(level.records5, kRecordSize5, INT16_MAX, "fifth records", error) &&
           wholeRecords(level.records6, kRecordSize6, UINT8_MAX, "sixth records", error) &&
           wholeRecords(level.records7, kRecordSize7, UINT8_MAX, "seventh records", error) &&
           wholeRecords(level.records8, kRecordSize8, INT32_MAX, "eighth records", error);
}

} // namespace

// Empty cells become runs and everything else literals; the extra column and row are empty.
// A run that ends the stream longer than an int16 is written as -1, which empties the rest.
bool writeCellStream(const LevelLayerData& layer, std::vector<uint8_t>& bytes, std::string& message)
{
    if (layer.cols < 0 || layer.rows < 0 ||
        layer.cells.size() != static_cast<size_t>(layer.cols) * static_cast<size_t>(layer.rows)) {
        message = "cells do not match the layer's size";
        return false;
    }
    FieldWriter out(bytes);
    out.i16(layer.cols);
    out.i16(layer.rows);
    int64_t run = 0;
    for (int32_t row = 0; row <= layer.rows; ++row) {
        for (int32_t col = 0; col <= layer.cols; ++col) {
            const bool inside = col < layer.cols && row < layer.rows;
            const int16_t cell =
                inside ? layer.cells[static_cast<size_t>(col + row * layer.cols)] : kEmptyCell;
            if (cell == kEmptyCell) {
                ++run;
                continue;
            }
            const std::string where =
                "column " + std::to_string(col) + ", row " + std::to_string(row);
            if (cell < 0 || cell > 255) {
                message = "cell value " + std::to_string(cell) + " at " + where + " is not a byte";
                return false;
            }
            if (run > INT16_MAX) {
                message = std::to_string(run) + " empty cells before " + where +
                          " are too many for one run (at most " + std::to_string(INT16_MAX) + ")";
                return false;
            }
            out.i16(static_cast<int32_t>(run));
            out.u8(static_cast<uint8_t>(cell));
            run = 0;
        }
    }
    out.i16(run > INT16_MAX ? -1 : static_cast<int32_t>(run));
    return true;
}

namespace
{

bool writeLayer(std::vector<uint8_t>& out, const LevelLayerData& layer, const char* name,
                LevelError& error)
{
    std::string message;
    if (!writeCellStream(layer, out, message)) {
        error.message = std::string(name) + ": " + message;
        return false;
    }
    return true;
}

void writeBackground(FieldWriter& out, const LevelBackgroundData& background)
{
    out.i32(background.x);
    out.i32(background.y);
    out.i16(background.xDivisor);
    out.i16(background.yDivisor);
    out.u8(background.image);
    out.u8(background.colorKey);
    out.bytes(background.reserved);
}

void writeHead(FieldWriter& out, const LevelFile& level)
{
    out.bytes(level.header);
    out.i16(static_cast<int32_t>(level.tileImages.size()));
    for (const int16_t image : level.tileImages) {
        out.i16(image);
    }
    out.u8(static_cast<uint8_t>(level.block1.size()));
    out.bytes(level.block1);
    out.bytes(level.reserved1);
    out.i32(level.value1);
    out.i32(level.value2);
    out.i16(level.value3);
    out.i16(level.value4);
    out.u8(static_cast<uint8_t>(level.chunks.size()));
    for (const LevelChunkData& chunk : level.chunks) {
        out.bytes(chunk.head);
        out.i32(static_cast<int64_t>(chunk.body.size()));
        out.bytes(chunk.body);
    }
    out.u8(static_cast<uint8_t>(level.records2.size() / kRecordSize2));
    out.bytes(level.records2);
    out.i16(static_cast<int32_t>(level.translations.size()));
    for (const LevelTranslationData& entry : level.translations) {
        out.i32(entry.value);
        out.bytes(entry.reserved);
    }
    out.i16(level.reserved2);
}

void writeSkippedTail(FieldWriter& out, const LevelFile& level)
{
    out.i16(static_cast<int32_t>(level.records3.size() / kRecordSize3));
    out.bytes(level.records3);
    out.i16(static_cast<int32_t>(level.records4.size() / kRecordSize4));
    out.bytes(level.records4);
    out.i16(static_cast<int32_t>(level.records5.size() / kRecordSize5));
    out.bytes(level.records5);
    out.bytes(level.reserved3);
    out.u8(static_cast<uint8_t>(level.records6.size() / kRecordSize6));
    out.bytes(level.records6);
    out.u8(static_cast<uint8_t>(level.records7.size() / kRecordSize7));
    out.bytes(level.records7);
    out.i32(static_cast<int64_t>(level.records8.size() / kRecordSize8));
    out.bytes(level.records8);
    out.i16(level.value5);
    out.i16(level.value6);
}

} // namespace

bool writeLevelFile(const LevelFile& level, std::vector<uint8_t>& bytes, LevelError& error)
{
    if (!checkCounts(level, error)) {
        return false;
    }
    error.message = extensionError(level);
    if (!error.message.empty()) {
        return false;
    }
    std::vector<uint8_t> out;
    FieldWriter writer(out);
    writeHead(writer, level);
    if (!writeLayer(out, level.layers[0], "the first layer", error) ||
        !writeLayer(out, level.layers[1], "the second layer", error)) {
        return false;
    }
    writer.u8(static_cast<uint8_t>(level.backgrounds.size()));
    for (const LevelBackgroundData& background : level.backgrounds) {
        writeBackground(writer, background);
    }
    writeSkippedTail(writer, level);
    if (!writeLayer(out, level.layers[2], "the third layer", error)) {
        return false;
    }
    writer.bytes(level.trailer);
    if (!level.extension.empty()) {
        writeExtensionBlock(level.extension, out);
    }
    bytes.swap(out);
    return true;
}

} // namespace tarvo
