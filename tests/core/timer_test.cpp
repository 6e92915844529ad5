// GameTimer: the clock the command line picks (real, scaled within 10..1000 percent, or one
// tick per query), and real time counted across the millisecond counter's wrap and back-steps.
#include "support/words.h"
#include "tarvo/core/timer.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace tarvo;

namespace
{

uint32_t gFakeMs = 0;

// A timer made from the given option words, with the fake millisecond source.
struct Timer {
    explicit Timer(std::vector<std::string> options)
        : words((options.insert(options.begin(), "prog"), std::move(options)))
    {
    }
    uint32_t at(uint32_t ms)
    {
        gFakeMs = ms;
        return timer.ticks();
    }

    const Words words;
    GameTimer timer{words.line, [] { return gFakeMs; }};
};

TEST(GameTimer, ChoosesTheClockFromTheCommandLine)
{
    struct Case {
        std::vector<std::string> words;
        uint32_t ticksAfterTenSeconds;
    };
    const Case cases[] = {
        {{}, 600},
        {{"-scaletime", "100"}, 600},
        {{"-scaletime"}, 600},
        {{"-scaletime", "50"}, 300},
        {{"-scaletime", "200"}, 1200},
        {{"-scaletime", "5"}, 59},      // 10 percent, scale 6553: a little under a tenth
        {{"-scaletime", "abc"}, 59},    // no digits reads as 0, then 10 percent
        {{"-scaletime", "5000"}, 6000}, // at most 1000 percent
        {{"-scaletime", "99999999999999999999"}, 6000},
    };
    for (const Case& c : cases) {
        gFakeMs = 1000;
        Timer timer(c.words);
        SCOPED_TRACE(testing::PrintToString(c.words));
        EXPECT_EQ(timer.at(1000), 0u);
        EXPECT_EQ(timer.at(11000), c.ticksAfterTenSeconds);
    }
}

TEST(GameTimer, FastClockCountsQueriesAndWinsOverScaling)
{
    Timer timer({"-fasttime", "-scaletime", "200"});
    EXPECT_EQ(timer.at(0), 0u);
    EXPECT_EQ(timer.at(50000), 1u);
    EXPECT_EQ(timer.at(50000), 2u);
}

TEST(GameTimer, ScaledTicksComeInUnevenStepsAtOneAndAHalf)
{
    gFakeMs = 0;
    Timer timer({"-scaletime", "150"});
    std::vector<uint32_t> ticks;
    for (uint32_t realTick = 0; realTick <= 4; ++realTick) {
        // Whole real ticks first (ms * 60 / 1000), then scaled by 98304 / 65536.
        ticks.push_back(timer.at(realTick * 1000 / 60 + 1));
    }
    EXPECT_EQ(ticks, (std::vector<uint32_t>{0, 1, 3, 4, 6}));
}

TEST(GameTimer, SurvivesCounterWrapLongRunsAndBackwardSteps)
{
    gFakeMs = 0xFFFFF000u; // 4096 ms before the millisecond counter wraps
    Timer timer({});
    EXPECT_EQ(timer.at(0x00001000u), 491u); // 8192 ms across the wrap

    // Twenty hours in steps of an hour: ms x 60 no longer fits 32 bits, the count still grows.
    uint32_t ms = 0x00001000u;
    for (int hour = 0; hour < 20; ++hour) {
        ms += 3600u * 1000u;
        timer.at(ms);
    }
    const uint32_t afterTwentyHours = timer.at(ms);
    EXPECT_EQ(afterTwentyHours, (8192ull + 72000000ull) * 60 / 1000);

    // A clock that steps back is no time at all, not 49 days of ticks.
    EXPECT_EQ(timer.at(ms - 5000), afterTwentyHours);
    EXPECT_EQ(timer.at(ms - 5000 + 1000), afterTwentyHours + 60);

    Timer scaled({"-scaletime", "200"});
    const uint32_t start = scaled.at(100000);
    EXPECT_EQ(scaled.at(90000) - start, 0u);
}

} // namespace
