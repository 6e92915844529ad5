// The benchmark's table: the lower middle value is the median of an even count.
#include "engine/benchmark.h"

#include <gtest/gtest.h>

TEST(BenchmarkTest, EvenCountTakesTheLowerMiddleAsItsMedian)
{
    Benchmark benchmark;
    for (const double ms : {4.0, 1.0, 3.0, 2.0}) {
        benchmark.add("title", ms);
    }
    char text[256] = {};
    FILE* out = fmemopen(text, sizeof text - 1, "w");
    benchmark.report(out);
    std::fclose(out);
    EXPECT_STREQ(text, "stage frames median_ms min_ms max_ms\ntitle 4 2.000 1.000 4.000\n"
                       "whole run: 4 frames, 0.0 frames/s\n");
}
