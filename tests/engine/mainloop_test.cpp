// The main loop driven against a fake demo that counts what the loop asks of it: one tick per
// pass on the fast clock, a frame per pass, input dropped without focus, quit ends with 0.
#include "core/timer.h"
#include "engine/demohooks.h"
#include "engine/mainloop.h"
#include "support/words.h"
#include "video/surface.h"

#include <SDL.h>
#include <gtest/gtest.h>

namespace
{

struct DemoCalls {
    int loads = 0, reloads = 0, updates = 0, events = 0, draws = 0;
} gCalls;

} // namespace

void loadDemoAssets(bool reload)
{
    ++(reload ? gCalls.reloads : gCalls.loads);
}
void updateDemo()
{
    ++gCalls.updates;
}
void handleDemoEvent(const SDL_Event&)
{
    ++gCalls.events;
}
void drawDemo()
{
    ++gCalls.draws;
}

namespace
{

class MainLoopTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0);
        gScreen = new Surface;
        ASSERT_TRUE(gScreen->setVideoMode(320, 240, 32, 0));
        gTimer = new GameTimer(fast.line);
        gCalls = DemoCalls();
    }
    void TearDown() override
    {
        delete gTimer;
        delete gScreen;
        SDL_Quit();
    }
    void push(Uint8 type, SDLKey key = SDLK_UNKNOWN)
    {
        SDL_Event event = {};
        event.type = type;
        event.key.keysym.sym = key;
        SDL_PushEvent(&event);
    }

    const Words fast{{"prog", "-fasttime"}};
};

TEST_F(MainLoopTest, RunsOneTickPerPassWithTheFastClockAndDrawsEveryPass)
{
    MainLoop loop;
    EXPECT_EQ(gCalls.loads, 1);
    EXPECT_EQ(gCalls.reloads, 0);
    loop.update(); // the fast clock's first reading is 0: no tick yet
    EXPECT_EQ(gCalls.updates, 0);
    for (int pass = 1; pass <= 5; ++pass) {
        loop.update();
        loop.render();
        EXPECT_EQ(gCalls.updates, pass);
        EXPECT_EQ(loop.tickCount, pass);
    }
    // The dummy window is visible, so every pass draws a frame.
    EXPECT_EQ(gCalls.draws, 5);
    EXPECT_EQ(loop.fps, 0);
}

TEST_F(MainLoopTest, InputIsDroppedWithoutFocusAndQuitEndsWithStatusZero)
{
    // The dummy driver reports a visible window without input focus.
    ASSERT_EQ(SDL_GetAppState() & SDL_APPINPUTFOCUS, 0);
    MainLoop loop;
    loop.update();
    push(SDL_KEYDOWN, SDLK_RIGHT);
    loop.update();
    EXPECT_EQ(gCalls.updates, 1);
    EXPECT_EQ(gCalls.events, 0);
    push(SDL_QUIT);
    EXPECT_EXIT(loop.update(), testing::ExitedWithCode(0), "");
}

} // namespace
