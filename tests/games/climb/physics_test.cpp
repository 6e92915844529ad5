// The player's feel at tick granularity: jump heights, coyote time, the jump buffer, one-way
// platforms, and the level's rules of stomps, deaths and respawns.
#include "physics.h"
#include "testmap.h"
#include "world.h"

#include <climits>
#include <gtest/gtest.h>

using namespace climb;
using namespace climbtest;

namespace
{

// Six rows of open air over a floor on row 6; pixel row 144 is the floor's top.
const std::vector<std::string> kOpen = {"..........", "..........", "..........", "..........",
                                        "..........", "..........", "##########"};

// A press waits, and the floor is remembered, for six ticks, not seven.
struct JumpRow {
    const char* name;
    int ticks;
    bool jumps;
};
const JumpRow kSixNotSeven[] = {{"tick 6", 6, true}, {"tick 7", 7, false}};

Controls jumpIf(bool press, bool hold)
{
    Controls controls;
    controls.jumpPressed = press;
    controls.jumpHeld = hold;
    return controls;
}

} // namespace

TEST(Physics, ApexHeightAndTickFollowHowLongJumpIsHeld)
{
    struct Row {
        const char* name;
        int heldTicks;
        int apexHeight; // pixels above the start
        int apexTick;   // the first tick at the top, counted from the press, 1
    };
    const Row rows[] = {{"tap", 1, 41, 14}, {"full hold", INT_MAX, 82, 28}};
    const auto map = makeMap(kOpen);
    for (const Row& row : rows) {
        Body body;
        placeBody(*map, body, 100, 144);
        int highest = 144, apexTick = 0;
        for (int tick = 1; tick <= 60; ++tick) {
            stepBody(*map, kPhysics, jumpIf(tick == 1, tick <= row.heldTicks), body);
            const int bottom = (body.box.y >> 8) + body.box.height;
            if (bottom < highest) {
                highest = bottom;
                apexTick = tick;
            }
        }
        EXPECT_EQ(144 - highest, row.apexHeight) << row.name;
        EXPECT_EQ(apexTick, row.apexTick) << row.name;
    }
}

// Runs off a ledge and presses jump after the given number of steps in the air.
TEST(Physics, CoyoteTimeEndsAfterSixTicks)
{
    const auto map = makeMap({"..........", "..........", "..........", "###.......", "..........",
                              "..........", ".........."});
    for (const JumpRow& row : kSixNotSeven) {
        Body body;
        placeBody(*map, body, 58, 72);
        Controls run;
        run.right = true;
        int airTicks = 0;
        for (; airTicks < row.ticks; airTicks = body.onFloor ? 0 : airTicks + 1) {
            ASSERT_FALSE(stepBody(*map, kPhysics, run, body).jumped) << row.name;
        }
        run.jumpPressed = run.jumpHeld = true;
        EXPECT_EQ(stepBody(*map, kPhysics, run, body).jumped, row.jumps) << row.name;
    }
}

// Falls onto the floor with jump pressed some ticks before the step that starts on it.
TEST(Physics, JumpBufferHoldsAPressForSixTicks)
{
    const auto map = makeMap(kOpen);
    // The step that starts on the floor, from a fall of 40 pixels.
    Body probe;
    placeBody(*map, probe, 100, 104);
    int landing = 1;
    for (; stepBody(*map, kPhysics, Controls(), probe), !probe.onFloor; ++landing) {
    }
    for (const JumpRow& row : kSixNotSeven) {
        Body body;
        placeBody(*map, body, 100, 104);
        bool jumped = false;
        for (int tick = 1; tick <= landing + 1; ++tick) {
            const bool press = tick == landing + 1 - row.ticks;
            jumped = stepBody(*map, kPhysics, jumpIf(press, press), body).jumped;
        }
        EXPECT_EQ(jumped, row.jumps) << row.name;
    }
}

TEST(Physics, OneWayPlatformsLetThePlayerUpAndDownWithDownAndJump)
{
    struct Row {
        const char* name;
        int32_t startBottom;
        bool down;
        int32_t endBottom; // where the player stands at last
    };
    // A one-way platform on row 4 (top pixel 96) over the floor (top 144).
    const Row rows[] = {{"from below", 144, false, 96}, {"drop through", 96, true, 144}};
    const auto map = makeMap({"..........", "..........", "..........", "..........", "====......",
                              "..........", "##########"});
    for (const Row& row : rows) {
        Body body;
        placeBody(*map, body, 40, row.startBottom);
        for (int tick = 1; tick <= 90; ++tick) {
            Controls controls = jumpIf(tick == 1, tick < 40);
            controls.down = row.down;
            stepBody(*map, kPhysics, controls, body);
        }
        EXPECT_TRUE(body.onFloor) << row.name;
        EXPECT_EQ((body.box.y >> 8) + body.box.height, row.endBottom) << row.name;
    }
}

TEST(Physics, StompNeedsTheBottomEdgeAtOrAboveTheEnemysTop)
{
    struct Row {
        const char* name;
        bool movedDown;
        int32_t bottomBefore;
        bool stomp;
    };
    const tarvo::Box enemy{100 * 256, 128 * 256, 16, 16};
    const Row rows[] = {{"level with its top", true, 128, true},
                        {"a pixel lower: a side touch", true, 129, false},
                        {"rising into it", false, 120, false}};
    for (const Row& row : rows) {
        StepResult step;
        step.movedDown = row.movedDown;
        step.bottomBefore = row.bottomBefore;
        EXPECT_EQ(isStomp(step, enemy), row.stomp) << row.name;
    }
}

// Runs right from the start into a pit of spikes or a gap in the floor, until the respawn.
TEST(World, RespawnsAtTheLastCheckpointReached)
{
    struct Row {
        const char* name;
        char pit;
        int pitColumn;
        int checkpoint;
        int32_t x; // the respawned player's left edge, centred on the checkpoint
    };
    const Row rows[] = {{"spikes before any checkpoint", '^', 3, 0, 6},
                        {"spikes after the second", '^', 9, 2, 174},
                        {"a fall below the bottom edge after the first", '.', 6, 1, 102}};
    for (const Row& row : rows) {
        std::string floor(12, '#');
        floor[size_t(row.pitColumn)] = row.pit;
        const auto map = makeMap({"............", "............", floor},
                                 {object(1, "start", 0, 24), object(2, "checkpoint", 96, 24, 1),
                                  object(3, "checkpoint", 168, 24, 2)});
        World world(*map);
        Controls run;
        run.right = true;
        std::vector<std::string> lines;
        for (uint32_t tick = 1; world.deaths() == 0 || world.hurt(); ++tick) {
            world.step(run, tick);
            lines.insert(lines.end(), world.lines().begin(), world.lines().end());
            ASSERT_LT(tick, 1000u) << row.name;
        }
        EXPECT_EQ(world.player().box.x >> 8, row.x) << row.name;
        const std::string respawned = "Respawned at checkpoint " + std::to_string(row.checkpoint);
        EXPECT_EQ(lines.back().rfind(respawned + " at tick ", 0), 0u) << row.name;
    }
}
