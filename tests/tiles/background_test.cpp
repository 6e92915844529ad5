// Background drawing: where the copies of an image land for given positions, divisors and
// repeat flags. The image's left column and top row are marked so copy origins can be found.
#include "pixels.h"
#include "tiles/background.h"

#include <array>
#include <gtest/gtest.h>
#include <set>

namespace
{

constexpr uint32_t kBody = 0x3050A0;
constexpr uint32_t kMark = 0xF0E010;

struct Case {
    const char* name;
    // x, y, x divisor, y divisor, flags, camera x and y (already scaled, as drawLevel passes
    // them), image width and height
    std::array<int, 9> setup;
    std::vector<int> columns; // expected copy origins that lie on screen
    std::vector<int> rows;
    uint32_t leftEdge; // expected at x = 0 on the first row of copies; 0 = not covered
    bool drawn;
};

// Copy origins seen on the target: screen columns (and rows) whose pixels are marked all the
// way down a copy, read along the first visible row (and column) of copies.
std::vector<int> markedColumns(const Surface& target, int y)
{
    std::vector<int> columns;
    for (int x = 0; x < target.getWidth(); ++x) {
        if (pixelAt(target, x, y) == kMark) {
            columns.push_back(x);
        }
    }
    return columns;
}

TEST(BackgroundTest, CopiesLandWhereTheDivisorsAndFlagsPutThem)
{
    const Case cases[] = {
        // 0 - 1000 / 20 = -50; copies at -50, 14, 78, ... up to 270.
        {"half-speed parallax",
         {0, 0, 20, 0, 1, 1000, 0, 64, 300},
         {14, 78, 142, 206, 270},
         {0},
         kBody,
         true},
        // -200 <= -64, so it moves to -200 % 64 = -8 (a floored modulo would give 56).
        {"far left wraps by the remainder",
         {-200, 0, 0, 0, 1, 0, 0, 64, 300},
         {56, 120, 184, 248, 312},
         {0},
         kBody,
         true},
        {"positive start leaves the left strip",
         {100, 0, 0, 0, 1, 0, 0, 64, 300},
         {100, 164, 228, 292},
         {0},
         0,
         true},
        {"zero divisor ignores the camera",
         {10, 20, 0, 0, 0, 5000, 5000, 64, 30},
         {10},
         {20},
         0,
         true},
        // -1005 / 20 truncates to -50, not -51.
        {"negative camera truncates", {0, 0, 20, 0, 0, -1005, 0, 64, 30}, {50}, {0}, 0, true},
        {"negative divisor scrolls backwards",
         {0, 0, -10, 0, 0, 100, 0, 64, 30},
         {10},
         {0},
         0,
         true},
        {"y divisor", {0, 100, 0, 10, 0, 0, 300, 64, 30}, {0}, {70}, kMark, true},
        {"vertical repeat",
         {5, -70, 0, 0, 2, 0, 0, 64, 30},
         {5},
         {20, 50, 80, 110, 140, 170, 200, 230},
         0,
         true},
        {"both repeats", {-10, -10, 0, 0, 3, 0, 0, 200, 150}, {190}, {140}, kBody, true},
        {"one pixel in", {-63, 0, 0, 0, 0, 0, 0, 64, 30}, {}, {0}, kBody, true},
        {"right of the screen", {320, 0, 0, 0, 1, 0, 0, 64, 30}, {}, {}, 0, false},
        {"below the screen", {0, 240, 0, 0, 3, 0, 0, 64, 30}, {}, {}, 0, false},
        {"wholly left, not repeating", {-65, 0, 0, 0, 0, 0, 0, 64, 30}, {}, {}, 0, false},
        {"just touching from the left", {-64, 0, 0, 0, 2, 0, 0, 64, 30}, {}, {}, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Background background;
        const auto [x, y, xDivisor, yDivisor, flags, cameraX, cameraY, width, height] = c.setup;
        background.x = x;
        background.y = y;
        background.xDivisor = xDivisor;
        background.yDivisor = yDivisor;
        background.flags = flags;
        background.cameraX = cameraX;
        background.cameraY = cameraY;
        background.image = std::make_unique<Surface>();
        makeTarget(*background.image, width, height);
        background.image->fillRect(nullptr, kBody);
        SDL_Rect column = {0, 0, 1, static_cast<Uint16>(height)};
        background.image->fillRect(&column, kMark);
        SDL_Rect row = {0, 0, static_cast<Uint16>(width), 1};
        background.image->fillRect(&row, kMark);

        Surface target;
        makeTarget(target, 320, 240);
        background.draw(target);

        std::set<uint32_t> seen;
        for (int y = 0; y < 240; ++y) {
            for (int x = 0; x < 320; ++x) {
                seen.insert(pixelAt(target, x, y));
            }
        }
        EXPECT_EQ(seen.count(kBody) == 1, c.drawn);
        if (!c.drawn) {
            continue;
        }
        // A row that is body, not mark, everywhere the image covers, shows the column marks.
        const int probeY = c.rows.empty() ? 0 : c.rows.front() + 1;
        EXPECT_EQ(markedColumns(target, probeY), c.columns);
        EXPECT_EQ(pixelAt(target, 0, probeY), c.leftEdge);
        std::vector<int> rows;
        const int probeX = c.columns.empty() ? 0 : c.columns.front() + 1;
        for (int y = 0; y < 240; ++y) {
            if (pixelAt(target, probeX, y) == kMark) {
                rows.push_back(y);
            }
        }
        EXPECT_EQ(rows, c.rows);
    }
}

TEST(BackgroundTest, MissingImageOrTargetDrawsNothing)
{
    Background background;
    Surface target;
    makeTarget(target, 16, 16);
    background.draw(target);
    background.image = std::make_unique<Surface>();
    background.draw(target);
    EXPECT_EQ(pixelAt(target, 0, 0), 0u);
    makeTarget(*background.image, 4, 4);
    background.image->fillRect(nullptr, kBody);
    Surface empty;
    background.draw(empty);
    background.draw(target);
    EXPECT_EQ(pixelAt(target, 0, 0), kBody);
}

} // namespace
