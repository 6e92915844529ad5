// The tile stage: the camera's tour of the first layer, tick by tick; the first case runs
// through the stage itself, over a level's first layer of 100 x 20 tiles of 24 pixels.
#include "demo/tilestage.h"
#include "tarvo/tiles/level.h"

#include <gtest/gtest.h>
#include <memory>
#include <vector>

using namespace morwenfall;
using namespace tarvo;

namespace
{

TEST(TileCameraTest, ToursTheEdgesThenTheDiagonal)
{
    struct Case {
        int width, height, ticks;
        // Each change of leg: the tick (from 1), the new leg's number, cameraX and cameraY.
        std::vector<int> changes;
    };
    // clang-format off
    const Case cases[] = {
        // 100 x 20 tiles: a 61-tick wait, 2056 ticks right to 2080, 216 down, back left and
        // up, 216 diagonal ticks out to (240, 240) and 216 back.
        {2400, 480, 5098, {61, 1, 24, 24,     2117, 2, 2080, 24,  2333, 3, 2080, 240,
                           4389, 4, 24, 240,  4605, 5, 24, 24,    4821, 6, 240, 240,
                           5037, 0, 24, 24,   5098, 1, 24, 24}},
        // The diagonal meets the right edge first, at x = 160.
        {480, 960, 1997, {61, 1, 24, 24,     197, 2, 160, 24,   893, 3, 160, 720,
                          1029, 4, 24, 720,  1725, 5, 24, 24,   1861, 6, 160, 160,
                          1997, 0, 24, 24}},
        // 344 pixels: 344 - 320 = 24, so each horizontal state ends on its first tick.
        {344, 480, 497, {61, 1, 24, 24,    62, 2, 24, 24,   278, 3, 24, 240,
                         279, 4, 24, 240,  495, 5, 24, 24,  496, 6, 24, 25,
                         497, 0, 24, 24}},
    };
    // clang-format on
    TileMap level;
    level.layers[0] = std::make_unique<TileLayer>(100, 20, 24, 24);
    gLevel = &level;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.width);
        const bool staged = &c == cases;
        TileCamera own;
        const TileCamera& camera = staged ? tileCamera() : own;
        std::vector<int> changes;
        for (int tick = 1; tick <= c.ticks; ++tick) {
            const CameraLeg before = camera.leg;
            staged ? updateTileStage() : own.step(c.width, c.height);
            if (camera.leg != before) {
                changes.insert(changes.end(), {tick, static_cast<int>(camera.leg), camera.cameraX,
                                               camera.cameraY});
            }
        }
        EXPECT_EQ(changes, c.changes);
    }
    gLevel = nullptr;
}

} // namespace
