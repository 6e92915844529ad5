// The main loop driven against a fake game that counts what the loop asks of it: one tick per
// pass on the fast clock, a frame per pass; pad events pushed into SDL's queue, recorded and
// replayed. Keys, focus and quit are seen through replays.
#include "core/replayfile.h"
#include "engine/inputstate.h"
#include "engine/runoptions.h"
#include "support/gamedir.h"
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

// What each action was in each tick's update, as "jump:hp. right:... up:...".
struct PadGame : Game {
    void load(bool) override {}
    void update() override
    {
        std::string tick;
        for (const char* action : {"jump", "right", "up"}) {
            tick += std::string(tick.empty() ? "" : " ") + action + ":" +
                    (held(action) ? "h" : ".") + (pressed(action) ? "p" : ".") +
                    (released(action) ? "r" : ".");
        }
        seen.push_back(tick);
        pads = padCount();
    }
    void handleEvent(const SDL_Event&) override {}
    void draw() override {}

    std::vector<std::string> seen;
    int pads = -1;
};

SDL_Event padEvent(Uint8 type, Uint8 pad, Uint8 control, Sint16 value)
{
    SDL_Event event{};
    event.type = type;
    if (type == SDL_JOYAXISMOTION) {
        event.jaxis = {type, pad, control, value};
    } else if (type == SDL_JOYHATMOTION) {
        event.jhat = {type, pad, control, static_cast<Uint8>(value)};
    } else {
        event.jbutton = {type, pad, control,
                         type == SDL_JOYBUTTONDOWN ? Uint8(SDL_PRESSED) : Uint8(SDL_RELEASED)};
    }
    return event;
}

std::string readable(const ReplayRecord& record)
{
    const char* names[] = {"axis", "button down", "button up", "hat"};
    return "tick " + std::to_string(record.tick) + " " +
           names[static_cast<int>(record.type) - static_cast<int>(ReplayRecordType::PadAxis)] +
           " pad " + std::to_string(record.pad) + " #" + std::to_string(record.control) + " " +
           std::to_string(record.value);
}

// Runs a loop, pushing each tick's events before an update of one tick; the game's view of each
// tick.
PadGame playPads(RunOptions options, const std::vector<std::vector<SDL_Event>>& ticks)
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
    const std::vector<std::vector<SDL_Event>> ticks = {
        {padEvent(SDL_JOYAXISMOTION, 1, 0, 20000), padEvent(SDL_JOYBUTTONDOWN, 0, 0, 0),
         padEvent(SDL_JOYHATMOTION, 0, 0, SDL_HAT_RIGHTUP)},
        {padEvent(SDL_JOYBUTTONUP, 0, 0, 0), padEvent(SDL_JOYAXISMOTION, 1, 0, 8000),
         padEvent(SDL_JOYBUTTONDOWN, 2, 0, 0)}, // pad 2 is not open
        {padEvent(SDL_JOYBUTTONDOWN, 1, 0, 0), padEvent(SDL_JOYBUTTONUP, 1, 0, 0),
         padEvent(SDL_JOYHATMOTION, 0, 0, SDL_HAT_CENTERED)},
    };
    const std::vector<std::string> seen = {"jump:hp. right:hp. up:hp.", "jump:..r right:..r up:h..",
                                           "jump:.pr right:... up:..r"};
    RunOptions live;
    live.recordPath = path.c_str();
    live.input.padCount = 2;
    const PadGame played = playPads(std::move(live), ticks);
    EXPECT_EQ(played.seen, seen);
    EXPECT_EQ(played.pads, 2);

    RunOptions replay;
    std::string error;
    ASSERT_TRUE(readReplay(path.c_str(), replay.replay, error)) << error;
    EXPECT_EQ(std::tie(replay.replay.header.version, replay.replay.header.padCount),
              std::make_tuple(uint16_t{2}, uint8_t{2}));
    std::vector<std::string> records;
    for (const ReplayRecord& record : replay.replay.records) {
        if (record.type != ReplayRecordType::End) {
            records.push_back(readable(record));
        }
    }
    EXPECT_EQ(records, std::vector<std::string>(
                           {"tick 0 axis pad 1 #0 20000", "tick 0 button down pad 0 #0 0",
                            "tick 0 hat pad 0 #0 3", "tick 1 button up pad 0 #0 0",
                            "tick 1 axis pad 1 #0 8000", "tick 2 button down pad 1 #0 0",
                            "tick 2 button up pad 1 #0 0", "tick 2 hat pad 0 #0 0"}));
    // Replayed with no pads of its own and a live button pushed before its ticks 1 and 2: only
    // the file counts.
    replay.replayPath = path.c_str();
    const SDL_Event pushed = padEvent(SDL_JOYBUTTONDOWN, 0, 0, 0);
    const PadGame replayed = playPads(std::move(replay), {{pushed}, {pushed}});
    EXPECT_EQ(replayed.seen, seen);
    EXPECT_EQ(replayed.pads, 2);
}
