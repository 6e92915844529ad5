// climb.sav, 22 bytes, little-endian: "CLMB", u16 version, u32 best time in ticks, u32 most
// coins, u32 fewest deaths, u32 FNV-1a checksum of the 18 bytes before it.
#include "records.h"

#include <cstdio>
#include <cstring>

namespace climb
{

namespace
{

constexpr char kMagic[4] = {'C', 'L', 'M', 'B'};
constexpr uint16_t kVersion = 1;
constexpr size_t kBodySize = 18;
constexpr size_t kFileSize = kBodySize + 4;

// FNV-1a (Fowler, Noll, Vo), 32 bits: a single changed byte always changes it.
uint32_t checksum(const uint8_t* bytes, size_t size)
{
    uint32_t hash = 2166136261u;
    for (size_t i = 0; i < size; ++i) {
        hash = (hash ^ bytes[i]) * 16777619u;
    }
    return hash;
}

void put(std::vector<uint8_t>& bytes, uint32_t value, int size)
{
    for (int i = 0; i < size; ++i) {
        bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
    }
}

uint32_t get(const std::vector<uint8_t>& bytes, size_t at, int size)
{
    uint32_t value = 0;
    for (int i = 0; i < size; ++i) {
        value |= static_cast<uint32_t>(bytes[at + i]) << (8 * i);
    }
    return value;
}

} // namespace

std::vector<uint8_t> encodeRecords(const Records& records)
{
    std::vector<uint8_t> bytes(kMagic, kMagic + sizeof kMagic);
    put(bytes, kVersion, 2);
    put(bytes, records.bestTicks, 4);
    put(bytes, records.mostCoins, 4);
    put(bytes, records.fewestDeaths, 4);
    put(bytes, checksum(bytes.data(), bytes.size()), 4);
    return bytes;
}

std::optional<Records> decodeRecords(const std::vector<uint8_t>& bytes)
{
    if (bytes.size() != kFileSize || std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0 ||
        get(bytes, 4, 2) != kVersion ||
        get(bytes, kBodySize, 4) != checksum(bytes.data(), kBodySize)) {
        return std::nullopt;
    }
    Records records;
    records.set = true;
    records.bestTicks = get(bytes, 6, 4);
    records.mostCoins = get(bytes, 10, 4);
    records.fewestDeaths = get(bytes, 14, 4);
    return records;
}

NewBest addResult(Records& records, uint32_t ticks, uint32_t coins, uint32_t deaths)
{
    NewBest fell;
    fell.time = !records.set || ticks < records.bestTicks;
    fell.coins = !records.set || coins > records.mostCoins;
    fell.deaths = !records.set || deaths < records.fewestDeaths;
    if (fell.time) {
        records.bestTicks = ticks;
    }
    if (fell.coins) {
        records.mostCoins = coins;
    }
    if (fell.deaths) {
        records.fewestDeaths = deaths;
    }
    records.set = true;
    return fell;
}

std::string formatTime(uint32_t ticks)
{
    const uint64_t hundredths = static_cast<uint64_t>(ticks) * 100 / 60;
    const uint64_t seconds = ticks / 60;
    char text[32];
    std::snprintf(text, sizeof text, "%llu:%02llu.%02llu",
                  static_cast<unsigned long long>(seconds / 60),
                  static_cast<unsigned long long>(seconds % 60),
                  static_cast<unsigned long long>(hundredths % 100));
    return text;
}

} // namespace climb
