// FollowCamera over levels larger and smaller than the view: the dead zone, the speed limit,
// the look-ahead and the level's edges.
#include "tarvo/tiles/camera.h"
#include "tarvo/tiles/collision.h"
#include "tarvo/tiles/level.h"

#include <gtest/gtest.h>

using namespace tarvo;

namespace
{

TEST(CameraTest, FollowsInsideTheLevelAtMostAStepATick)
{
    // The view is 320 x 240 with a 32 x 48 dead zone; targets are 16 x 16 boxes at whole
    // pixels. The camera snaps to the first target, then updates once for the second.
    const struct {
        const char* name;
        int32_t cols, rows, tileSize; // the collision layer
        int32_t snapX, snapY;         // first target
        int lookAhead;
        bool facingRight;
        int32_t targetX, targetY; // second target
        int32_t x, y;
    } rows[] = {
        {"left and top edges", 40, 20, 24, 0, 0, 0, true, 4, 4, 0, 0},
        {"right and bottom edges", 40, 20, 24, 944, 464, 0, true, 950, 470, 640, 240},
        {"inside the dead zone", 40, 20, 24, 472, 232, 0, true, 482, 250, 320, 120},
        {"past the dead zone by less than a step", 40, 20, 24, 472, 232, 0, true, 490, 232, 322,
         120},
        {"past the dead zone by more than a step", 40, 20, 24, 472, 232, 0, true, 600, 100, 324,
         116},
        {"looking ahead right", 40, 20, 24, 472, 232, 24, true, 472, 232, 324, 120},
        {"looking ahead left", 40, 20, 24, 472, 232, 24, false, 472, 232, 316, 120},
        {"a smaller level is centred", 10, 5, 24, 100, 50, 0, true, 200, 100, -40, -60},
        {"odd margins put the odd pixel right", 3, 3, 25, 0, 0, 0, true, 70, 70, -122, -82},
        {"small one way, large the other", 40, 5, 24, 472, 50, 0, true, 600, 60, 324, -60},
    };
    for (const auto& row : rows) {
        TileMap level;
        level.layers[1] =
            std::make_unique<TileLayer>(row.cols, row.rows, row.tileSize, row.tileSize);
        FollowCamera camera(level);
        camera.snap(Box{row.snapX * 256, row.snapY * 256, 16, 16}, true);
        camera.lookAhead = row.lookAhead;
        camera.update(Box{row.targetX * 256, row.targetY * 256, 16, 16}, row.facingRight);
        EXPECT_EQ(camera.x(), row.x) << row.name;
        EXPECT_EQ(camera.y(), row.y) << row.name;
    }
}

} // namespace
