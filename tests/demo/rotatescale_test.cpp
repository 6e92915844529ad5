// The rotate-and-scale stage's gear motion, tick by tick from the program's starting state.
#include "demo/rotatescale.h"

#include <gtest/gtest.h>

namespace
{

TEST(RotateScaleStage, GearTurnsOnceEvery72TicksAndGrowsToTwice)
{
    const double cap = 2.0000000000000013;
    double previousZoom = rotateScaleState().gearZoom;
    int firstCappedTick = 0;
    for (int tick = 1; tick <= 400; ++tick) {
        updateRotateScaleStage();
        const RotateScaleState& gear = rotateScaleState();
        SCOPED_TRACE(tick);
        EXPECT_EQ(gear.gearAngle, 5.0 * (tick % 72)); // steps of 5 degrees are exact
        EXPECT_GE(gear.gearZoom, previousZoom);
        EXPECT_LE(gear.gearZoom, cap);
        if (gear.gearZoom >= 2.0 && firstCappedTick == 0) {
            firstCappedTick = tick;
        }
        previousZoom = gear.gearZoom;
    }
    EXPECT_EQ(firstCappedTick, 199);
    EXPECT_EQ(rotateScaleState().gearZoom, cap);
}

} // namespace
