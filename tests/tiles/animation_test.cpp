// Animation timing: milliseconds rounded to ticks, and the frame showing at a tick.
#include "tarvo/tiles/animation.h"

#include <gtest/gtest.h>

using namespace tarvo;

namespace
{

TEST(AnimationTest, MillisecondsRoundToTheNearestTickAndAtLeastOne)
{
    const struct {
        const char* name;
        int milliseconds;
        int ticks;
    } rows[] = {
        {"zero", 0, 1},       {"below half a tick", 8, 1},
        {"one tick", 17, 1},  {"half rounds up", 25, 2},
        {"a tenth", 100, 6},  {"a second", 1000, 60},
        {"negative", -50, 1}, {"past the int product", 2147483647, 128849019},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(Animation::ticksFromMilliseconds(row.milliseconds), row.ticks) << row.name;
    }
}

TEST(AnimationTest, FrameAtATickWrapsWhenLoopingAndHoldsTheLastOtherwise)
{
    Animation animation;
    animation.frames = {{7, 2}, {8, 3}, {9, 0}}; // 0 ticks counts as 1: six ticks in all
    const struct {
        const char* name;
        bool loop;
        uint64_t tick;
        size_t frame;
    } rows[] = {
        {"first tick", true, 0, 0},
        {"last tick of the first", true, 1, 0},
        {"second frame", true, 2, 1},
        {"short frame", true, 5, 2},
        {"wraps", true, 6, 0},
        {"wraps far", true, 6000000000007, 0},
        {"once holds the last", false, 6, 2},
        {"once, still playing", false, 4, 1},
    };
    for (const auto& row : rows) {
        animation.loop = row.loop;
        EXPECT_EQ(animation.frameAt(row.tick), row.frame) << row.name;
    }
    EXPECT_EQ(Animation().frameAt(5), 0u);
}

} // namespace
