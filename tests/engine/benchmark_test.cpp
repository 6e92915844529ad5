// The benchmark's table, timed by a clock the test moves: what a pass counts, and how a stage
// reads.
#include "engine/benchmark.h"

#include <gtest/gtest.h>

namespace
{

using Clock = Benchmark::Clock;

Clock::time_point gNow;

Clock::time_point fakeNow()
{
    return gNow;
}

struct Pass {
    const char* stage;
    int drawMs;  // drawing and the flip
    int writeMs; // writing frames, shots and GIFs
    bool drewFrame;
};

struct Case {
    const char* name;
    std::vector<Pass> passes;
    const char* table; // after the header line
};

std::string run(const std::vector<Pass>& passes)
{
    Benchmark benchmark(fakeNow);
    for (const Pass& pass : passes) {
        benchmark.beginPass();
        gNow += std::chrono::milliseconds(pass.drawMs);
        benchmark.pause();
        gNow += std::chrono::milliseconds(pass.writeMs);
        benchmark.resume();
        benchmark.endPass(pass.stage, pass.drewFrame);
    }
    char text[256] = {};
    FILE* out = fmemopen(text, sizeof text - 1, "w");
    benchmark.report(out);
    std::fclose(out);
    return text;
}

TEST(BenchmarkTest, TableCountsDrawnPassesWithoutTheirWriting)
{
    const Case cases[] = {
        {"an even count's median is the lower middle",
         {{"title", 4, 0, true},
          {"title", 1, 0, true},
          {"title", 3, 0, true},
          {"title", 2, 0, true}},
         "title 4 2.000 1.000 4.000\nwhole run: 4 frames, 400.0 frames/s\n"},
        {"writing is left out of the pass and the run",
         {{"title", 2, 30, true}, {"title", 2, 0, true}},
         "title 2 2.000 2.000 2.000\nwhole run: 2 frames, 500.0 frames/s\n"},
        {"a stage current only while nothing was drawn has a row of zeros",
         {{"title", 5, 0, true}, {"tiles", 1, 0, false}, {"sound", 5, 0, true}},
         "title 1 5.000 5.000 5.000\ntiles 0 0.000 0.000 0.000\nsound 1 5.000 5.000 5.000\n"
         "whole run: 2 frames, 181.8 frames/s\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(run(c.passes), std::string("stage frames median_ms min_ms max_ms\n") + c.table)
            << c.name;
    }
}

} // namespace
