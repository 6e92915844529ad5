// climb.sav: what is written reads back, and every kind of damage reads as no records.
#include "records.h"

#include <gtest/gtest.h>

namespace
{

const climb::Records kRecords{true, 5025, 27, 2};

} // namespace

TEST(Records, ReadBackAsWritten)
{
    const std::optional<climb::Records> read = climb::decodeRecords(climb::encodeRecords(kRecords));
    ASSERT_TRUE(read);
    EXPECT_EQ(read->bestTicks, kRecords.bestTicks);
    EXPECT_EQ(read->mostCoins, kRecords.mostCoins);
    EXPECT_EQ(read->fewestDeaths, kRecords.fewestDeaths);
}

TEST(Records, DamagedOrForeignFilesReadAsNoRecords)
{
    struct Row {
        const char* name;
        void (*damage)(std::vector<uint8_t>&);
    };
    const Row rows[] = {
        {"empty", [](std::vector<uint8_t>& bytes) { bytes.clear(); }},
        {"cut short", [](std::vector<uint8_t>& bytes) { bytes.pop_back(); }},
        {"grown", [](std::vector<uint8_t>& bytes) { bytes.push_back(0); }},
        {"foreign magic", [](std::vector<uint8_t>& bytes) { bytes[0] = 'X'; }},
        {"newer version", [](std::vector<uint8_t>& bytes) { bytes[4] = 2; }},
        {"a record changed", [](std::vector<uint8_t>& bytes) { bytes[10] ^= 1; }},
        {"the checksum changed", [](std::vector<uint8_t>& bytes) { bytes[21] ^= 0x80; }},
    };
    for (const Row& row : rows) {
        std::vector<uint8_t> bytes = climb::encodeRecords(kRecords);
        row.damage(bytes);
        EXPECT_FALSE(climb::decodeRecords(bytes)) << row.name;
    }
}

TEST(Records, AResultBeatsEachRecordOnItsOwn)
{
    struct Row {
        const char* name;
        uint32_t ticks, coins, deaths;
        bool time, coinsFell, deathsFell;
    };
    const Row rows[] = {{"slower, same coins, more deaths", 5026, 27, 3, false, false, false},
                        {"faster", 5024, 27, 2, true, false, false},
                        {"more coins", 5025, 28, 2, false, true, false},
                        {"fewer deaths", 5025, 27, 1, false, false, true}};
    for (const Row& row : rows) {
        climb::Records records = kRecords;
        const climb::NewBest fell = climb::addResult(records, row.ticks, row.coins, row.deaths);
        EXPECT_EQ(fell.time, row.time) << row.name;
        EXPECT_EQ(fell.coins, row.coinsFell) << row.name;
        EXPECT_EQ(fell.deaths, row.deathsFell) << row.name;
    }
}

TEST(Records, TimeReadsMinutesSecondsAndHundredths)
{
    struct Row {
        const char* name;
        uint32_t ticks;
        const char* text;
    };
    const Row rows[] = {{"none", 0, "0:00.00"},
                        {"one tick rounds down", 1, "0:00.01"},
                        {"just under a second", 59, "0:00.98"},
                        {"a minute and a bit", 5007, "1:23.45"},
                        {"past ten minutes", 36000, "10:00.00"}};
    for (const Row& row : rows) {
        EXPECT_EQ(climb::formatTime(row.ticks), row.text) << row.name;
    }
}
