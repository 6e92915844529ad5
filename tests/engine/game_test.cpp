// run with a small game of its own under the dummy drivers: where requestQuit ends the run, a
// second run in the same process, and run inside run. Each run replays two keys at tick 4 and
// the end at tick 9, and records what it handled.
#include "core/replayfile.h"
#include "support/gamedir.h"
#include "support/words.h"
#include "tarvo/engine/game.h"
#include "tarvo/engine/mainloop.h"
#include "tarvo/video/surface.h"

#include <SDL.h>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

using namespace tarvo;

namespace
{

const GameInfo kInfo{"testgame", "Test Game", "testgame.cfg", "testgame"};

enum class From { Load, Event, Update, Draw };

struct Request {
    From from;
    uint32_t tick; // the tick running, or the tick of the frame drawn
    int status;
};

// Fills the screen with a colour of the frame's tick and moves a picture from the game
// directory across it, so every frame differs and needs the file system.
class TestGame : public Game
{
public:
    explicit TestGame(std::vector<Request> requests = {}) : requests(std::move(requests)) {}

    void load(bool reload) override
    {
        if (!reload) {
            picture = std::make_unique<Surface>();
            picture->loadImage("picture.bmp");
            ask(From::Load, 0);
            onLoad();
        }
    }
    void update() override { ask(From::Update, gMainLoop->tickCount); }
    void handleEvent(const SDL_Event& event) override
    {
        if (event.type == SDL_KEYDOWN) {
            ask(From::Event, gMainLoop->tickCount);
        }
    }
    void draw() override
    {
        const uint32_t tick = gMainLoop->tickCount - 1;
        gScreen->fillRect(nullptr, tick * 0x010203);
        SDL_Rect at{static_cast<Sint16>(tick * 10), 50, 0, 0};
        gScreen->blitFrom(*picture, nullptr, &at);
        ask(From::Draw, tick);
    }
    void unload() override { picture.reset(); }

    std::function<void()> onLoad = [] {};

private:
    void ask(From from, uint32_t tick)
    {
        for (const Request& request : requests) {
            if (request.from == from && request.tick == tick) {
                requestQuit(request.status);
            }
        }
    }

    std::vector<Request> requests;
    std::unique_ptr<Surface> picture;
};

ReplayRecord record(uint32_t tick, ReplayRecordType type, SDLKey sym = SDLK_UNKNOWN)
{
    ReplayRecord entry;
    entry.tick = tick;
    entry.type = type;
    entry.sym = static_cast<uint16_t>(sym);
    return entry;
}

struct Outcome {
    int status = -1;
    std::string recorded; // "K4 E9": each record handled, key or end, with its tick
    std::string frames;   // frames.txt: "TICK CRC" lines
    std::string log;
};

// Plays the replay with game, as the program would be started with these options.
class GameRun : public testing::Test
{
protected:
    GameRun()
    {
        SDL_Surface* image =
            SDL_CreateRGBSurface(SDL_SWSURFACE, 16, 16, 32, 0xFF0000, 0xFF00, 0xFF, 0);
        SDL_FillRect(image, nullptr, 0xFFFF00);
        SDL_SaveBMP(image, game.file("picture.bmp").c_str());
        SDL_FreeSurface(image);
        ReplayHeader header;
        header.appState = SDL_APPACTIVE | SDL_APPINPUTFOCUS | SDL_APPMOUSEFOCUS;
        std::string bytes = encodeReplayHeader(header);
        for (const ReplayRecord& entry :
             {record(4, ReplayRecordType::KeyDown, SDLK_q),
              record(4, ReplayRecordType::KeyDown, SDLK_w), record(9, ReplayRecordType::End)}) {
            bytes += encodeReplayRecord(entry);
        }
        replay = game.write("replay", bytes);
    }

    Outcome play(Game& testGame) const
    {
        const TempDir out;
        Words words({"game_test", "-logfile", out.file("log.txt"), "-game", game.path, "-replay",
                     replay, "-record", out.file("recorded"), "-frames", out.file("frames")});
        Outcome outcome;
        outcome.status =
            run(static_cast<int>(words.pointers.size()), words.pointers.data(), kInfo, testGame);
        Replay recorded;
        std::string error;
        EXPECT_TRUE(readReplay(out.file("recorded").c_str(), recorded, error)) << error;
        for (const ReplayRecord& entry : recorded.records) {
            outcome.recorded += (outcome.recorded.empty() ? "" : " ") +
                                std::string(entry.type == ReplayRecordType::End ? "E" : "K") +
                                std::to_string(entry.tick);
        }
        outcome.frames = readFile(out.file("frames/frames.txt"));
        outcome.log = readFile(out.file("log.txt"));
        return outcome;
    }

    const TempDir game;
    std::string replay;
};

// The ticks of the frames listed.
std::vector<uint32_t> frameTicks(const std::string& frames)
{
    std::istringstream lines(frames);
    std::vector<uint32_t> ticks;
    uint32_t tick = 0;
    std::string crc;
    while (lines >> tick >> crc) {
        ticks.push_back(tick);
    }
    return ticks;
}

std::vector<uint32_t> firstTicks(uint32_t count)
{
    std::vector<uint32_t> ticks;
    for (uint32_t tick = 0; tick < count; ++tick) {
        ticks.push_back(tick);
    }
    return ticks;
}

TEST_F(GameRun, RequestQuitEndsTheRunWhereTheGameAsked)
{
    const struct {
        const char* name;
        std::vector<Request> requests;
        int status;
        const char* recorded;
        uint32_t frames; // drawn: ticks 0 to frames - 1
    } cases[] = {
        {"from load(false): no tick, no frame", {{From::Load, 0, 3}}, 3, "E0", 0},
        {"from handleEvent: not the second key, no update, no frame",
         {{From::Event, 4, 4}},
         4,
         "K4 E4",
         4},
        {"from update: that tick's frame is drawn", {{From::Update, 4, 5}}, 5, "K4 K4 E5", 5},
        {"from draw: that frame is the last", {{From::Draw, 4, 6}}, 6, "K4 K4 E5", 5},
        {"the first request's status wins",
         {{From::Update, 4, 7}, {From::Draw, 4, 8}},
         7,
         "K4 K4 E5",
         5},
        {"the replay's end record: status 0", {}, 0, "K4 K4 E9", 9},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        requestQuit(9); // outside run: nothing
        TestGame testGame(c.requests);
        const Outcome outcome = play(testGame);
        EXPECT_EQ(outcome.status, c.status);
        EXPECT_EQ(outcome.recorded, c.recorded);
        EXPECT_EQ(frameTicks(outcome.frames), firstTicks(c.frames));
    }
}

TEST_F(GameRun, SecondRunInTheProcessLogsAndDrawsTheSame)
{
    TestGame testGame;
    const Outcome first = play(testGame);
    const Outcome second = play(testGame);
    EXPECT_EQ(first.status, 0);
    EXPECT_EQ(second.status, 0);
    EXPECT_EQ(frameTicks(first.frames), firstTicks(9));
    EXPECT_EQ(second.frames, first.frames);
    EXPECT_EQ(second.log, first.log);
    EXPECT_EQ(first.log.find("Couldn't open image file"), std::string::npos) << first.log;
}

TEST_F(GameRun, RunInsideRunIsRefused)
{
    TestGame testGame;
    int inner = -1;
    testGame.onLoad = [&] {
        char program[] = "inner";
        char* argv[] = {program, nullptr};
        testing::internal::CaptureStderr();
        inner = run(1, argv, kInfo, testGame);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "Error: tarvo::run is already running\n");
    };
    EXPECT_EQ(play(testGame).status, 0);
    EXPECT_EQ(inner, 1);
}

} // namespace
