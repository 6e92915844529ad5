// The main loop driven against a fake game that counts what the loop asks of it: one tick per
// pass on the fast clock, a frame per pass; pad events pushed into SDL's queue, recorded and
// replayed. Keys, focus and quit are seen through replays.
#include "core/replayfile.h"
#include "engine/inputstate.h"
#include "engine/runoptions.h"
#include "support/gamedir.h"
#include "support/inputevents.h"
#include "support/words.h"
#include "tarvo/core/timer.h"
#include "tarvo/engine/game.h"
#include "tarvo/engine/input.h"
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

// The dummy window and the fast clock: one tick per update.
class MainLoopTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO | SDL_INIT_JOYSTICK), 0);
        ASSERT_TRUE(screen.setVideoMode(320, 240, 32, 0));
        gScreen = &screen;
        gTimer = &timer;
    }
    void TearDown() override
    {
        gCommandLine = nullptr;
        gTimer = nullptr;
        gScreen = nullptr;
        SDL_Quit();
    }

    const Words fast{{"prog", "-fasttime"}};
    GameTimer timer{fast.line};
    Surface screen;
};

} // namespace

TEST_F(MainLoopTest, RunsOneTickPerPassWithTheFastClockAndDrawsEveryPass)
{
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
}

// Each tick's held, pressed and released of its actions, as "hp. ... ..r", and the pad count.
struct PadGame : CountingGame {
    void update() override
    {
        std::string tick;
        for (const char* action : {"jump", "right", "up"}) {
            tick += std::string(held(action) ? " h" : " .") + (pressed(action) ? "p" : ".") +
                    (released(action) ? "r" : ".");
        }
        seen.push_back(tick.substr(1));
        pads = padCount();
    }

    std::vector<std::string> seen;
    int pads = -1;
};

// Pushes each tick's events into SDL's queue before an update of one tick.
PadGame playPads(RunOptions options, const std::vector<std::vector<InputEvent>>& ticks)
{
    options.input.actions = {{"jump", {*inputNamed("pad:a")}},
                             {"right", {*inputNamed("pad:leftx+")}},
                             {"up", {*inputNamed("pad:hat0-up")}}};
    options.liveAppState = [] { return Uint8(SDL_APPACTIVE | SDL_APPINPUTFOCUS); };
    PadGame game;
    MainLoop loop(game, std::move(options));
    loop.update(); // live, the fast clock's first reading is 0: no tick; a replay runs its tick 0
    for (const auto& events : ticks) {
        for (SDL_Event event : events) {
            SDL_PushEvent(&event);
        }
        loop.update();
    }
    return game;
}

TEST_F(MainLoopTest, PushedPadEventsAreRecordedAndMoveTheActionsAsTheirReplayDoes)
{
    const TempDir dir;
    const std::string path = dir.file("pads.replay");
    const Uint8 axis = SDL_JOYAXISMOTION, down = SDL_JOYBUTTONDOWN, up = SDL_JOYBUTTONUP,
                hat = SDL_JOYHATMOTION;
    RunOptions live;
    live.recordPath = path.c_str();
    live.input.padCount = 2;
    const PadGame played = playPads(
        std::move(live), {
                             {{axis, 1, 0, 20000}, {down, 0, 0}, {hat, 0, 0, SDL_HAT_RIGHTUP}},
                             {{up, 0, 0}, {axis, 1, 0, 8000}, {down, 2, 0}}, // pad 2 is not open
                             {{down, 1, 0}, {up, 1, 0}, {hat, 0, 0, SDL_HAT_CENTERED}},
                         });
    const std::vector<std::string> seen = {"hp. hp. hp.", "..r ..r h..", ".pr ... ..r"};
    EXPECT_EQ(played.seen, seen);
    EXPECT_EQ(played.pads, 2);

    RunOptions replay;
    std::string error;
    ASSERT_TRUE(readReplay(path.c_str(), replay.replay, error)) << error;
    EXPECT_EQ(replay.replay.header.padCount, 2);
    std::string records; // tick, type, pad, control, value
    for (const ReplayRecord& r : replay.replay.records) {
        records += std::to_string(r.tick) + " " + std::to_string(int(r.type)) + " " +
                   std::to_string(r.pad) + " " + std::to_string(r.control) + " " +
                   std::to_string(r.value) + "\n";
    }
    EXPECT_EQ(records, "0 6 1 0 20000\n0 7 0 0 0\n0 9 0 0 3\n1 8 0 0 0\n1 6 1 0 8000\n"
                       "2 7 1 0 0\n2 8 1 0 0\n2 9 0 0 0\n3 5 0 0 0\n");
    // Replayed with no pads of its own and a live button pushed before its ticks 1 and 2: only
    // the file counts.
    replay.replayPath = path.c_str();
    const PadGame replayed = playPads(std::move(replay), {{{down, 0, 0}}, {{down, 0, 0}}});
    EXPECT_EQ(replayed.seen, seen);
    EXPECT_EQ(replayed.pads, 2);
}
