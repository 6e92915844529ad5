// The rotate-and-scale stage: gear motion tick by tick, and where the rotated gear lands.
#include "demo/demo.h"
#include "demo/rotatescale.h"
#include "support/capturedlog.h"
#include "video/surface.h"

#include <SDL.h>
#include <gtest/gtest.h>

namespace
{

constexpr double kZoomCap = 2.0000000000000013;

// Declared first: it needs the state the program starts with.
TEST(RotateScaleStage, GearTurnsOnceEvery72TicksAndGrowsToTwice)
{
    double previousZoom = rotateScaleState().gearZoom;
    int firstCappedTick = 0;
    for (int tick = 1; tick <= 400; ++tick) {
        updateRotateScaleStage();
        const RotateScaleState& gear = rotateScaleState();
        SCOPED_TRACE(tick);
        // Steps of 5 degrees are exact in double, so the angle can be compared exactly.
        EXPECT_EQ(gear.gearAngle, 5.0 * (tick % 72));
        EXPECT_GE(gear.gearZoom, previousZoom);
        EXPECT_LE(gear.gearZoom, kZoomCap);
        if (gear.gearZoom >= 2.0 && firstCappedTick == 0) {
            firstCappedTick = tick;
        }
        previousZoom = gear.gearZoom;
    }
    EXPECT_EQ(firstCappedTick, 199);
    EXPECT_EQ(rotateScaleState().gearZoom, kZoomCap);
}

class RotateScaleDrawing : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // One screen for the process: SDL keeps its own bookkeeping for every video mode
        // set, and dropping it with SDL_Quit shows up as a leak in the sanitizer's report.
        static Surface* screen = nullptr;
        if (!screen) {
            ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0);
            screen = new Surface;
            ASSERT_TRUE(screen->setVideoMode(320, 240, 32, 0));
        }
        gScreen = screen;
        gGear = new Surface;
    }
    void TearDown() override
    {
        delete gGear;
        gGear = nullptr;
        gScreen = nullptr;
    }

    // A wide gear in the screen's format: white ground, a red block centred on it.
    void makeGear(int width, int height)
    {
        SurfaceFormat format = gScreen->getSurfaceFormat();
        format.flags = SDL_SWSURFACE;
        format.width = width;
        format.height = height;
        gGear->create(format);
        gGear->fillRect(nullptr, 0xFFFFFF);
        SDL_Rect block = {static_cast<Sint16>(width / 4), static_cast<Sint16>(height / 4),
                          static_cast<Uint16>(width / 2), static_cast<Uint16>(height / 2)};
        gGear->fillRect(&block, gScreen->mapRgb(SDL_Color{255, 0, 0, 0}));
    }

    uint32_t pixel(int x, int y) const
    {
        const SDL_Surface* screen = gScreen->getSdlSurface();
        return static_cast<const uint32_t*>(screen->pixels)[y * screen->pitch / 4 + x];
    }

    CapturedLog log;
};

// Whatever angle and zoom the stage has reached: no white, and the red block centred.
TEST_F(RotateScaleDrawing, GearIsCentredWithWhiteKeyedOut)
{
    makeGear(64, 24);
    const uint32_t red = gScreen->mapRgb(SDL_Color{255, 0, 0, 0});
    for (int frame = 0; frame < 150; ++frame) {
        updateRotateScaleStage();
        if (frame % 7 != 0) {
            continue;
        }
        const RotateScaleState& gear = rotateScaleState();
        SCOPED_TRACE(testing::Message() << "angle " << gear.gearAngle << " zoom " << gear.gearZoom);
        gScreen->clear();
        drawRotateScaleStage();

        int left = 320, right = -1, top = 240, bottom = -1, whites = 0;
        ASSERT_TRUE(gScreen->lock());
        for (int y = 0; y < 240; ++y) {
            for (int x = 0; x < 320; ++x) {
                const uint32_t value = pixel(x, y) & 0xFFFFFF;
                whites += value == 0xFFFFFF;
                if (value == red) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                    top = std::min(top, y);
                    bottom = std::max(bottom, y);
                }
            }
        }
        gScreen->unlock();
        EXPECT_EQ(whites, 0);
        if (gear.gearZoom < 0.2) {
            continue; // a block of a pixel or two has no meaningful centre
        }
        ASSERT_GE(right, 0) << "no red pixel drawn";
        // The copy's size and the block's extent are each rounded by SDL_gfx.
        EXPECT_NEAR((left + right) / 2.0, 159.5, 1.5);
        EXPECT_NEAR((top + bottom) / 2.0, 119.5, 1.5);
    }
}

TEST_F(RotateScaleDrawing, MissingGearDrawsNothing)
{
    gScreen->clear();
    updateRotateScaleStage();
    drawRotateScaleStage();
    ASSERT_TRUE(gScreen->lock());
    int lit = 0;
    for (int y = 0; y < 240; ++y) {
        for (int x = 0; x < 320; ++x) {
            lit += pixel(x, y) != 0;
        }
    }
    gScreen->unlock();
    EXPECT_EQ(lit, 0);
    EXPECT_EQ(log.text(), "");
}

} // namespace
