// Hand assembly of level files for tests: every field written explicitly, with the three cell
// streams given as raw bytes so that tests can feed the loader streams no compiler would write.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class LevelBytes
{
public:
    LevelBytes& u8(int value)
    {
        bytes.push_back(static_cast<uint8_t>(value));
        return *this;
    }
    LevelBytes& i16(int value)
    {
        u8(value & 0xFF);
        return u8((value >> 8) & 0xFF);
    }
    LevelBytes& i32(int64_t value)
    {
        for (int shift = 0; shift < 32; shift += 8) {
            u8(static_cast<int>((value >> shift) & 0xFF));
        }
        return *this;
    }
    LevelBytes& zeros(std::size_t count)
    {
        bytes.insert(bytes.end(), count, 0);
        return *this;
    }
    LevelBytes& raw(const std::vector<uint8_t>& more)
    {
        bytes.insert(bytes.end(), more.begin(), more.end());
        return *this;
    }

    std::vector<uint8_t> bytes;
};

// A stream (as raw bytes) for a layer W x H: size, then the run counts and literals given.
// Each element is a run count when tagged 'R' and a literal when tagged 'b'.
struct StreamItem {
    char kind; // 'R' int16 run count, 'b' uint8 literal
    int value;
};

inline std::vector<uint8_t> cellStream(int cols, int rows, const std::vector<StreamItem>& items)
{
    LevelBytes out;
    out.i16(cols).i16(rows);
    for (const StreamItem& item : items) {
        if (item.kind == 'R') {
            out.i16(item.value);
        } else {
            out.u8(item.value);
        }
    }
    return out.bytes;
}

// An empty layer W x H: one run covering every position of the stream.
inline std::vector<uint8_t> emptyStream(int cols, int rows)
{
    return cellStream(cols, rows, {{'R', (cols + 1) * (rows + 1)}});
}

struct LevelParts {
    std::vector<int> tileImages;
    std::vector<int32_t> translations;
    std::vector<uint8_t> layer1 = emptyStream(0, 0);
    std::vector<uint8_t> layer2 = emptyStream(0, 0);
    // Each background: x, y, x divisor, y divisor, image, colour key.
    std::vector<std::vector<int>> backgrounds;
    std::vector<uint8_t> layer3 = emptyStream(0, 0);
    int values[6] = {0, 0, 0, 0, 0, 0};
};

// The whole file with every skipped block present and non-empty, so that a reader that gets a
// block's size wrong lands in the wrong place.
inline std::vector<uint8_t> assembleLevel(const LevelParts& parts)
{
    LevelBytes out;
    out.zeros(12).i16(static_cast<int>(parts.tileImages.size()));
    for (const int image : parts.tileImages) {
        out.i16(image);
    }
    out.u8(3).u8(0xA1).u8(0xA2).u8(0xA3); // block of 3 bytes
    out.zeros(8);                         // reserved
    out.i32(parts.values[0]).i32(parts.values[1]).i16(parts.values[2]).i16(parts.values[3]);
    out.u8(1).zeros(10).i32(5).zeros(5); // one chunk of 5 bytes
    out.u8(2).zeros(20);                 // two 10-byte records
    out.i16(static_cast<int>(parts.translations.size()));
    for (const int32_t value : parts.translations) {
        out.i32(value).zeros(6);
    }
    out.i16(0x7777); // reserved
    out.raw(parts.layer1).raw(parts.layer2);
    out.u8(static_cast<int>(parts.backgrounds.size()));
    for (const std::vector<int>& b : parts.backgrounds) {
        out.i32(b[0]).i32(b[1]).i16(b[2]).i16(b[3]).u8(b[4]).u8(b[5]).zeros(6);
    }
    out.i16(1).zeros(12).i16(2).zeros(54).i16(1).zeros(13); // 12-, 27- and 13-byte records
    out.zeros(3);
    out.u8(1).zeros(10).u8(1).zeros(9).i32(2).zeros(12); // 10-, 9- and 6-byte records
    out.i16(parts.values[4]).i16(parts.values[5]);
    out.raw(parts.layer3);
    return out.bytes;
}
