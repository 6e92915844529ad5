// The player's records and climb.sav, their file: a magic, a version, the three records and a
// checksum, so a damaged or foreign file is told from a good one.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace climb
{

struct Records {
    bool set = false;       // false: no level finished yet, the other fields mean nothing
    uint32_t bestTicks = 0; // the best time in ticks
    uint32_t mostCoins = 0;
    uint32_t fewestDeaths = 0;
};

/// Which records a finished level beat; the first finish beats them all.
struct NewBest {
    bool time = false;
    bool coins = false;
    bool deaths = false;
    bool any() const { return time || coins || deaths; }
};

/// The file's bytes for records (which must be set).
std::vector<uint8_t> encodeRecords(const Records& records);
/// The records in bytes, or nullopt when the file is damaged or not ours.
std::optional<Records> decodeRecords(const std::vector<uint8_t>& bytes);

/// Folds a finished level into records and says which fell.
NewBest addResult(Records& records, uint32_t ticks, uint32_t coins, uint32_t deaths);

/// Ticks as m:ss.cc: minutes, seconds and hundredths, cc = floor(ticks x 100 / 60) mod 100.
std::string formatTime(uint32_t ticks);

} // namespace climb
