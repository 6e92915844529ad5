// Background drawing: where copies of an image land for given positions, divisors and repeat
// flags. The image's left column and top row are marked so copy origins can be found.
#include "pixels.h"
#include "tarvo/tiles/background.h"

#include <gtest/gtest.h>
#include <tuple>

using namespace tarvo;

namespace
{

constexpr uint32_t kBody = 0x3050A0;
constexpr uint32_t kMark = 0xF0E010;

TEST(BackgroundTest, CopiesLandWhereTheDivisorsAndFlagsPutThem)
{
    struct Case {
        // camera x and y are scaled, as drawLevel passes them
        int x, y, xDivisor, yDivisor, flags, cameraX, cameraY, width, height;
        std::vector<int> columns; // copy origins on screen; no rows: nothing drawn
        std::vector<int> rows;
        uint32_t leftEdge; // at x = 0 just below the first row of copies
    };
    const Case cases[] = {
        {0, 0, 20, 0, 1, 1000, 0, 64, 300, {14, 78, 142, 206, 270}, {0}, kBody}, // 0 - 1000 / 20
        // -200 % 64 = -8, where a floored modulo would give 56.
        {-200, 0, 0, 0, 1, 0, 0, 64, 300, {56, 120, 184, 248, 312}, {0}, kBody},
        {100, 0, 0, 0, 1, 0, 0, 64, 300, {100, 164, 228, 292}, {0}, 0},
        {10, 20, 0, 0, 0, 5000, 5000, 64, 30, {10}, {20}, 0},
        {0, 0, 20, 0, 0, -1005, 0, 64, 30, {50}, {0}, 0}, // -1005 / 20 truncates to -50
        {0, 0, -10, 0, 0, 100, 0, 64, 30, {10}, {0}, 0},
        {0, 100, 0, 10, 0, 0, 300, 64, 30, {0}, {70}, kMark},
        {5, -70, 0, 0, 2, 0, 0, 64, 30, {5}, {20, 50, 80, 110, 140, 170, 200, 230}, 0},
        {-10, -10, 0, 0, 3, 0, 0, 200, 150, {190}, {140}, kBody},
        {-63, 0, 0, 0, 0, 0, 0, 64, 30, {}, {0}, kBody}, // one pixel in
        {320, 0, 0, 0, 1, 0, 0, 64, 30, {}, {}, 0},
        {0, 240, 0, 0, 3, 0, 0, 64, 30, {}, {}, 0},
        {-65, 0, 0, 0, 0, 0, 0, 64, 30, {}, {}, 0},
        {-64, 0, 0, 0, 2, 0, 0, 64, 30, {}, {}, 0}, // touching from the left
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(&c - cases);
        Background bg;
        std::tie(bg.x, bg.y, bg.xDivisor, bg.yDivisor, bg.flags, bg.cameraX, bg.cameraY) =
            std::tie(c.x, c.y, c.xDivisor, c.yDivisor, c.flags, c.cameraX, c.cameraY);
        bg.image = std::make_unique<Surface>();
        bg.image->create(argbFormat(c.width, c.height));
        bg.image->fillRect(nullptr, kMark);
        SDL_Rect body = {1, 1, Uint16(c.width - 1), Uint16(c.height - 1)};
        bg.image->fillRect(&body, kBody);
        Surface target;
        target.create(argbFormat(320, 240));
        bg.draw(target);

        // Marks seen along a row of body pixels, and down a column of body pixels.
        const int probeY = c.rows.empty() ? 0 : c.rows.front() + 1;
        const int probeX = c.columns.empty() ? 0 : c.columns.front() + 1;
        std::vector<int> columns, rows;
        bool drawn = false;
        for (int y = 0; y < 240; ++y) {
            for (int x = 0; x < 320; ++x) {
                const uint32_t pixel = pixelAt(target, x, y);
                drawn |= pixel == kBody;
                if (pixel == kMark && y == probeY) {
                    columns.push_back(x);
                }
                if (pixel == kMark && x == probeX) {
                    rows.push_back(y);
                }
            }
        }
        EXPECT_EQ(drawn, !c.rows.empty());
        if (drawn) {
            EXPECT_EQ(columns, c.columns);
            EXPECT_EQ(rows, c.rows);
            EXPECT_EQ(pixelAt(target, 0, probeY), c.leftEdge);
        }
    }
}

} // namespace
