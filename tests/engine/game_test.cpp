// tarvo::run with a small game of its own under the dummy drivers: where requestQuit ends the
// run, a second run in the same process, and run inside run. Each run replays two keys at tick
// 4 and the end at tick 9, records what it handles and lists the frames it draws. A game's
// actions take their inputs and the dead zone from its defaults file.
#include "core/replayfile.h"
#include "support/gamedir.h"
#include "support/words.h"
#include "tarvo/engine/game.h"
#include "tarvo/engine/input.h"
#include "tarvo/engine/mainloop.h"
#include "tarvo/video/surface.h"

#include <SDL.h>
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>

using namespace tarvo;

namespace
{

enum From { Load, Event, Update, Draw };

// Asks to quit from where requests say during tick 4 (in draw: its frame); each frame differs.
struct TestGame : Game {
    // The replay never hides the window, so there is no load(true).
    void load(bool) override
    {
        ask(Load, 0);
        onLoad();
    }
    void update() override { ask(Update, gMainLoop->tickCount); }
    void handleEvent(const SDL_Event&) override { ask(Event, gMainLoop->tickCount); }
    void draw() override
    {
        gScreen->fillRect(nullptr, gMainLoop->tickCount * 0x010203);
        ask(Draw, gMainLoop->tickCount - 1);
    }
    void ask(From from, uint32_t tick)
    {
        for (const auto& [where, status] : requests) {
            if (where == from && (tick == 4 || from == Load)) {
                requestQuit(status);
            }
        }
    }

    std::vector<std::pair<From, int>> requests;
    std::function<void()> onLoad = [] {};
};

struct Outcome {
    int status = -1;
    std::string recorded; // " K4 E9": the keys and the end record written, with their ticks
    std::string frames;   // frames.txt
    std::string log;
};

const ReplayRecord kKey{4, ReplayRecordType::KeyDown};

Outcome play(Game& game, const GameInfo& info = {"test", "Test", "test.cfg", "test"},
             const std::vector<ReplayRecord>& records = {kKey, kKey, {9, ReplayRecordType::End}},
             uint8_t pads = 0)
{
    const TempDir dir;
    ReplayHeader header;
    header.appState = SDL_APPACTIVE | SDL_APPINPUTFOCUS;
    header.padCount = pads;
    std::string replay = encodeReplayHeader(header);
    for (const ReplayRecord& record : records) {
        replay += encodeReplayRecord(record);
    }
    dir.write("replay", replay);
    Words words({"game_test", "-logfile", dir.file("log"), "-game", dir.path, "-replay",
                 dir.file("replay"), "-record", dir.file("recorded"), "-frames", dir.path});
    Outcome outcome;
    outcome.status =
        run(static_cast<int>(words.pointers.size()), words.pointers.data(), info, game);
    Replay recorded;
    std::string error;
    EXPECT_TRUE(readReplay(dir.file("recorded").c_str(), recorded, error)) << error;
    for (const ReplayRecord& record : recorded.records) {
        outcome.recorded +=
            (record.type == ReplayRecordType::End ? " E" : " K") + std::to_string(record.tick);
    }
    outcome.frames = readFile(dir.file("frames.txt"));
    outcome.log = readFile(dir.file("log"));
    return outcome;
}

long lineCount(const std::string& text)
{
    return std::count(text.begin(), text.end(), '\n');
}

TEST(GameRun, RequestQuitEndsTheRunWhereTheGameAsked)
{
    const struct {
        const char* name;
        std::vector<std::pair<From, int>> requests;
        int status;
        const char* recorded;
        long frames; // those of ticks 0 to frames - 1
    } cases[] = {
        {"from load(false): no tick, no frame", {{Load, 3}}, 3, " E0", 0},
        {"from handleEvent: no second key, no update, no frame", {{Event, 4}}, 4, " K4 E4", 4},
        {"from update: that tick's frame is drawn", {{Update, 5}}, 5, " K4 K4 E5", 5},
        {"from draw: that frame is the last", {{Draw, 6}}, 6, " K4 K4 E5", 5},
        {"the first request's status wins", {{Update, 7}, {Draw, 8}}, 7, " K4 K4 E5", 5},
        {"a replay's end record: status 0", {}, 0, " K4 K4 E9", 9},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        requestQuit(9); // outside run: nothing
        TestGame game;
        game.requests = c.requests;
        const Outcome outcome = play(game);
        EXPECT_EQ(outcome.status, c.status);
        EXPECT_EQ(outcome.recorded, c.recorded);
        EXPECT_EQ(lineCount(outcome.frames), c.frames);
    }
}

TEST(GameRun, SecondRunInTheProcessLogsAndDrawsTheSame)
{
    TestGame game;
    const Outcome first = play(game);
    const Outcome second = play(game);
    EXPECT_EQ(lineCount(first.frames), 9);
    EXPECT_EQ(std::tie(second.status, second.frames, second.log),
              std::tie(first.status, first.frames, first.log));
}

TEST(GameRun, RunInsideRunIsRefused)
{
    TestGame game;
    int inner = -1;
    game.onLoad = [&] {
        testing::internal::CaptureStderr();
        inner = run(0, nullptr, GameInfo(), game);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "Error: tarvo::run is already running\n");
    };
    EXPECT_EQ(play(game).status, 0);
    EXPECT_EQ(inner, 1);
}

} // namespace

// "jump" and "fire" held in each tick: "jf" both, "j." jump alone.
struct ActionGame : TestGame {
    void update() override
    {
        seen += std::string(held("jump") ? "j" : ".") + (held("fire") ? "f " : ". ");
    }
    std::string seen;
};

TEST(GameRun, ActionsAreBoundThroughTheDefaultsFile)
{
    const TempDir dir;
    const std::string warning = "Warning: " + dir.file("game.cfg") + ": ";
    std::string jump = "jump = {\"x\"", warnings = "Reading defaults...\n";
    for (const std::string name :
         {"Space", "unknown key", "pad:", "pad:button01", "pad:button256", "pad:axis-",
          "pad:hat-up", "pad:hat0-middle", "pad:lefttrigger+"}) {
        jump += ", \"" + name + "\", \"" + name + "\""; // twice, warned about once
        warnings += warning + "jump: unknown input \"" + name + "\"\n";
    }
    dir.write("game.cfg", jump + "}\npaddeadzone = 20000\n");
    GameInfo info{"test", "Test", dir.file("game.cfg"), "test"};
    info.actions = {{"jump", {"space"}}, {"fire", {"pad:leftx+", "pad:z"}}};
    ReplayRecord axis{1, ReplayRecordType::PadAxis}, past{2, ReplayRecordType::PadAxis};
    axis.value = 20000; // at the dead zone, then past it
    past.value = 20001;
    const ReplayRecord x{1, ReplayRecordType::KeyDown, 'x'}, end{4, ReplayRecordType::End};
    ActionGame game;
    const Outcome outcome =
        play(game, info, {x, axis, past, {3, ReplayRecordType::KeyUp, 'x'}, end}, 1);
    EXPECT_EQ(game.seen, ".. j. jf .f ");
    warnings += warning + "fire: unknown input \"pad:z\"\nInitializing SDL";
    EXPECT_NE(outcome.log.find(warnings), std::string::npos) << outcome.log;
}
