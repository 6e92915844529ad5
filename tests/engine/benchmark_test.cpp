// The benchmark's table: stages in the order they first drew, and the lower middle value as
// the median of an even count.
#include "engine/benchmark.h"

#include <gtest/gtest.h>

TEST(BenchmarkTest, TableGivesEachStageItsLowerMedianMinimumAndMaximum)
{
    Benchmark benchmark;
    for (const double ms : {4.0, 1.0, 3.0, 2.0}) {
        benchmark.add("title", ms);
    }
    benchmark.add("polygons", 0.25);
    char text[512] = {};
    FILE* out = fmemopen(text, sizeof text - 1, "w");
    benchmark.report(out);
    std::fclose(out);
    EXPECT_STREQ(text, "stage frames median_ms min_ms max_ms\n"
                       "title 4 2.000 1.000 4.000\n"
                       "polygons 1 0.250 0.250 0.250\n"
                       "whole run: 5 frames, 0.0 frames/s\n");
}
