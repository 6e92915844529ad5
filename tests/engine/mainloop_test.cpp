// The main loop driven against a fake game that counts what the loop asks of it: one tick per
// pass on the fast clock, a frame per pass. Input, focus and quit are seen through replays.
#include "support/words.h"
#include "tarvo/core/timer.h"
#include "tarvo/engine/game.h"
#include "tarvo/engine/mainloop.h"
#include "tarvo/video/surface.h"

#include <SDL.h>
#include <gtest/gtest.h>

using namespace tarvo;

namespace
{

uint32_t fakeMs = 0;

struct CountingGame : Game {
    void load(bool reload) override { ++(reload ? reloads : loads); }
    void update() override { ++updates; }
    void handleEvent(const SDL_Event&) override {}
    void draw() override { ++draws; }

    int loads = 0, reloads = 0, updates = 0, draws = 0;
} gCalls;

} // namespace

TEST(MainLoopTest, RunsOneTickPerPassWithTheFastClockAndDrawsEveryPass)
{
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0);
    Surface screen;
    ASSERT_TRUE(screen.setVideoMode(320, 240, 32, 0));
    const Words fast{{"prog", "-fasttime"}};
    GameTimer timer(fast.line);
    gScreen = &screen;
    gTimer = &timer;
    {
        MainLoop loop(gCalls);
        EXPECT_EQ(gCalls.loads, 1);
        EXPECT_EQ(gCalls.reloads, 0);
        loop.update(); // the fast clock's first reading is 0: no tick yet
        EXPECT_EQ(gCalls.updates, 0);
        for (int pass = 1; pass <= 5; ++pass) {
            loop.update();
            loop.render();
            EXPECT_EQ(gCalls.updates, pass);
            EXPECT_EQ(loop.tickCount, static_cast<uint32_t>(pass));
        }
        // The dummy window is visible, so every pass draws a frame.
        EXPECT_EQ(gCalls.draws, 5);
        EXPECT_EQ(loop.fps, 0);
    }
    // Every reading of this clock is an hour on: the first pass too runs one second of game time.
    const std::pair<const char*, uint32_t> stalls[] = {{"100", 60}, {"50", 30}, {"1000", 600}};
    for (const auto& [scale, perSecond] : stalls) {
        Words words{{"prog", "-scaletime", scale}};
        gCommandLine = &words.line;
        GameTimer stalling(words.line, [] { return fakeMs += 3600000; });
        gTimer = &stalling;
        MainLoop loop(gCalls);
        loop.update();
        loop.update();
        EXPECT_EQ(loop.tickCount, 2 * perSecond) << scale;
    }
    gCommandLine = nullptr;
    gTimer = nullptr;
    gScreen = nullptr;
    SDL_Quit();
}
