// The window scale factor: the largest whole multiple of 320 x 240 that fits the desktop
// comfortably, never below 1.
#include "video/display.h"

#include <SDL.h>
#include <cstdlib>
#include <gtest/gtest.h>

using namespace tarvo;

namespace
{

TEST(Display, WindowFactorIsTheLargestWholeMultipleThatFitsComfortably)
{
    struct Case {
        int width, height, factor;
    };
    const Case cases[] = {
        {1920, 1080, 3}, // 4 x 240 = 960 rows would fill more than 85 percent of 1080
        {3840, 2160, 7}, // the height limits it, not the width
        {1280, 1024, 3}, {640, 480, 1}, {320, 240, 1}, // too small for comfort, but never below 1
        {0, 0, 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(windowScaleFactor(c.width, c.height, 320, 240), c.factor)
            << c.width << "x" << c.height;
    }
}

// Nothing shows the dummy driver's window: a headless run is not scaled to its desktop.
TEST(Display, DummyDriverWindowIsNotScaled)
{
    unsetenv("SDL12COMPAT_WINDOW_SCALING");
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0);
    prepareWindow(320, 240, false, false);
    EXPECT_EQ(std::getenv("SDL12COMPAT_WINDOW_SCALING"), nullptr);
    SDL_Quit();
}

} // namespace
