// The benchmark's table, timed by a clock the test moves.
#include "engine/benchmark.h"

#include <gtest/gtest.h>

using namespace tarvo;

namespace
{

Benchmark::Clock::time_point gNow;

struct Pass {
    const char* stage;
    int drawMs, writeMs; // writing: frames, shots and GIFs
    bool drewFrame;
};

TEST(BenchmarkTest, TableCountsDrawnPassesWithoutTheirWriting)
{
    const struct {
        const char* name;
        std::vector<Pass> passes;
        const char* table; // after the header line
    } cases[] = {
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
    for (const auto& c : cases) {
        Benchmark benchmark([] { return gNow; });
        for (const Pass& pass : c.passes) {
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
        EXPECT_EQ(text, std::string("stage frames median_ms min_ms max_ms\n") + c.table) << c.name;
    }
}

} // namespace
