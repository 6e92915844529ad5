// Level files assembled by hand, with cell streams as raw bytes, so that tests can feed the
// loader streams no compiler would write.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct LevelBytes {
    LevelBytes& raw(const std::vector<uint8_t>& more)
    {
        bytes.insert(bytes.end(), more.begin(), more.end());
        return *this;
    }
    LevelBytes& zeros(std::size_t count) { return raw(std::vector<uint8_t>(count)); }
    LevelBytes& u8(int value) { return raw({static_cast<uint8_t>(value)}); }
    LevelBytes& i16(int value) { return u8(value).u8(value >> 8); }
    LevelBytes& i32(int64_t value) { return i16(int(value)).i16(int(value >> 16)); }
    std::vector<uint8_t> bytes;
};

// A cols x rows stream: int16 run counts at even indexes, literal bytes at odd ones.
inline std::vector<uint8_t> cellStream(int cols, int rows, const std::vector<int>& items)
{
    LevelBytes out;
    out.i16(cols).i16(rows);
    for (size_t i = 0; i < items.size(); ++i) {
        i % 2 ? out.u8(items[i]) : out.i16(items[i]);
    }
    return out.bytes;
}

struct LevelParts {
    std::vector<int> tileImages;
    std::vector<int32_t> translations;
    std::vector<uint8_t> layer1 = cellStream(0, 0, {1});
    std::vector<uint8_t> layer2 = cellStream(0, 0, {1});
    std::vector<std::vector<int>> backgrounds; // x, y, x divisor, y divisor, image, colour key
    std::vector<uint8_t> layer3 = cellStream(0, 0, {1});
    int values[6] = {0, 0, 0, 0, 0, 0};
};

// Every skipped block is present and non-empty, so a reader that gets a size wrong gets lost.
inline std::vector<uint8_t> assembleLevel(const LevelParts& parts)
{
    LevelBytes out;
    out.zeros(12).i16(static_cast<int>(parts.tileImages.size()));
    for (const int image : parts.tileImages) {
        out.i16(image);
    }
    out.u8(3).u8(0xA1).u8(0xA2).u8(0xA3).zeros(8); // 3-byte block, reserved
    out.i32(parts.values[0]).i32(parts.values[1]).i16(parts.values[2]).i16(parts.values[3]);
    out.u8(1).zeros(10).i32(5).zeros(5).u8(2).zeros(20); // a 5-byte chunk, two 10-byte records
    out.i16(static_cast<int>(parts.translations.size()));
    for (const int32_t value : parts.translations) {
        out.i32(value).zeros(6);
    }
    out.i16(0x7777).raw(parts.layer1).raw(parts.layer2);
    out.u8(static_cast<int>(parts.backgrounds.size()));
    for (const std::vector<int>& b : parts.backgrounds) {
        out.i32(b[0]).i32(b[1]).i16(b[2]).i16(b[3]).u8(b[4]).u8(b[5]).zeros(6);
    }
    out.i16(1).zeros(12).i16(2).zeros(54).i16(1).zeros(13).zeros(3); // 12-, 27-, 13-byte records
    out.u8(1).zeros(10).u8(1).zeros(9).i32(2).zeros(12);             // 10-, 9- and 6-byte records
    out.i16(parts.values[4]).i16(parts.values[5]).raw(parts.layer3);
    return out.bytes;
}
