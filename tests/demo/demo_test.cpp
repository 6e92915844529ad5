// The stage machine, the rotate-and-scale and the sound stage driven tick by tick and key by
// key, with game data holding only the polygon textures: every other asset and the level fail
// to load. The binary stands in for the mixer's play and pan calls, to see each effect's pan.
#include "demo/demo.h"
#include "demo/polygonstage.h"
#include "demo/rotatescale.h"
#include "demo/soundstage.h"
#include "support/capturedlog.h"
#include "support/gamedir.h"
#include "support/words.h"
#include "tarvo/audio/music.h"
#include "tarvo/audio/sound.h"
#include "tarvo/core/timer.h"
#include "tarvo/engine/mainloop.h"
#include "tarvo/video/surface.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <climits>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <tuple>
#include <unistd.h>
#include <utility>
#include <vector>

using namespace morwenfall;
using namespace tarvo;

namespace
{
using Call = std::tuple<int, int, int>;
std::vector<Call> plays; // channel, loops, time limit
std::vector<Call> pans;  // channel, left, right
std::vector<int> playResults;
Demo demo;
} // namespace

extern "C" int Mix_PlayChannelTimed(int channel, Mix_Chunk*, int loops, int ticks)
{
    plays.emplace_back(channel, loops, ticks);
    return plays.size() <= playResults.size() ? playResults[plays.size() - 1] : 0;
}
extern "C" int Mix_SetPanning(int channel, Uint8 left, Uint8 right)
{
    pans.emplace_back(channel, left, right);
    return 1;
}

namespace
{

// Presses each key in turn, '>' standing for the right arrow, then runs ticks of the demo.
void play(const char* keys, int ticks = 1)
{
    for (; *keys; ++keys) {
        SDL_Event event{};
        event.type = event.key.type = SDL_KEYDOWN;
        event.key.state = SDL_PRESSED;
        event.key.keysym.sym = *keys == '>' ? SDLK_RIGHT : SDLK_UNKNOWN;
        event.key.keysym.unicode = *keys == '>' ? 0 : *keys;
        demo.handleEvent(event);
    }
    for (int tick = 0; tick < ticks; ++tick) {
        demo.update();
    }
}

// The screen is in memory and 320 pixels wide: no lock, no padding.
std::vector<uint32_t> screenPixels()
{
    const auto* pixels = static_cast<const uint32_t*>(gScreen->getSdlSurface()->pixels);
    return {pixels, pixels + 320 * 240};
}

// Draws a frame; true when anything on the screen is not black.
bool drawsAnything()
{
    demo.draw();
    return screenPixels() != std::vector<uint32_t>(320 * 240, 0);
}

// One walk's world: a screen, the game folder as the current directory (where a level dump
// would land), enabled sound and music, a captured log, and the loop, which loads the demo's
// assets. The demo's state is never reset, so one test walks through named steps in order.
struct DemoWalk : testing::Test {
    void SetUp() override
    {
        ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0);
        ASSERT_TRUE(screen.setVideoMode(320, 240, 32, 0));
        auto* texture = SDL_CreateRGBSurface(SDL_SWSURFACE, 32, 32, 32, 0xFF0000, 0xFF00, 0xFF, 0);
        SDL_Rect leftHalf = {0, 0, 16, 32}; // an edge, to show how far each row is shifted
        SDL_FillRect(texture, &leftHalf, 0xFF0000);
        EXPECT_EQ(SDL_SaveBMP(texture, game.file("demo1/test.png").c_str()), 0); // read by content
        EXPECT_EQ(SDL_SaveBMP(texture, game.file("demo1/testa.png").c_str()), 0);
        SDL_FreeSurface(texture);
        std::filesystem::current_path(game.path);
        sound.allocateChannels(8); // enabled, so that a missing effect is reported
        music.enable();
        std::tie(gScreen, gSound, gMusic) = std::tuple(&screen, &sound, &music);
        gMainLoop = (loop = std::make_unique<MainLoop>(demo)).get();
        loadLog = log.text();
    }
    // Puts back every global the walk set, and the current directory.
    void TearDown() override
    {
        loop.reset();
        std::tie(gScreen, gSound, gMusic, gMainLoop, gTimer, gAxeSound) = saved;
        std::filesystem::current_path(savedDirectory);
        SDL_Quit();
    }
    void step(const char* name, const std::function<void()>& run)
    {
        SCOPED_TRACE(name);
        run();
    }

    const std::tuple<Surface*, SoundBank*, MusicPlayer*, MainLoop*, GameTimer*, Mix_Chunk*> saved{
        gScreen, gSound, gMusic, gMainLoop, gTimer, gAxeSound};
    const std::filesystem::path savedDirectory = std::filesystem::current_path();
    const GameDir game;
    CapturedLog log;
    Surface screen;
    SoundBank sound;
    MusicPlayer music;
    std::unique_ptr<MainLoop> loop;
    std::string loadLog; // what loading the assets logged
};

TEST_F(DemoWalk, FromTitleToSound)
{
    step("each missing asset but the font is reported, in the order of loading", [&] {
        size_t at = 0;
        for (const char* name : {"\"demo1/Axe.wav\"", "\"demo1/OLM- Meridel2.mid\"",
                                 "'demo1/OLM Logo.png'", "'demo1/GEAR5.PNG'"}) {
            at = loadLog.find(name, at);
            EXPECT_NE(at, std::string::npos) << name << " in " << loadLog;
        }
    });
    // The int a signed counter held or wrapped to. Paused, so the later steps keep their ticks.
    step("the ripple's phase follows the loop's counter across both wraps", [&] {
        Surface logo;
        logo.loadImage("demo1/test.png");
        Surface* const noLogo = std::exchange(gLogo, &logo);
        const Words fast{{"prog", "-fasttime"}};
        GameTimer clock(fast.line);
        gTimer = &clock;
        play("p", 0);
        loop->update(); // the fast clock's first reading is 0: no tick yet
        const std::pair<uint32_t, std::vector<int>> runs[] = {
            {0x7FFFFFFE, {INT_MAX, INT_MIN, INT_MIN + 1}}, {0xFFFFFFFE, {-1, 0, 1}}};
        for (const auto& [start, phases] : runs) {
            loop->tickCount = start;
            for (const int phase : phases) {
                loop->update();
                loop->render();
                const std::vector<uint32_t> frame = screenPixels();
                gScreen->waveBlit(logo, titleStageState().waveAmplitude, 0.115, 2.0, phase, false);
                EXPECT_EQ(screenPixels(), frame) << phase;
            }
        }
        play("p", 0);
        gTimer = nullptr;
        gLogo = noLogo;
    });
    step("the amplitude stops shrinking at tick 531 and stays; the decay stops at 796", [] {
        play("", 530);
        EXPECT_GT(titleStageState().waveAmplitude, 0);
        play("");
        const double amplitude = titleStageState().waveAmplitude;
        EXPECT_LE(amplitude, 0);
        play("", 264);
        EXPECT_GT(titleStageState().waveDecay, 0);
        play("");
        EXPECT_LE(titleStageState().waveDecay, 0);
        EXPECT_EQ(titleStageState().waveAmplitude, amplitude);
        EXPECT_FALSE(drawsAnything()); // no logo, no font
    });
    // P is not p, and e belongs to the polygon stage alone.
    step("two arrows in one tick advance one stage; that tick runs no stage step", [] {
        play("Pe>>");
        EXPECT_EQ(demoState().stage, DemoStage::RotateScale);
        EXPECT_EQ(rotateScaleState().gearAngle, 0.0);
    });
    step("paused, nothing steps and an arrow is dropped; p again resumes", [] {
        play("");
        play("p>");
        play("p");
        EXPECT_EQ(demoState().stage, DemoStage::RotateScale);
        EXPECT_EQ(rotateScaleState().gearAngle, 10.0);
    });
    // Once round in 72 steps; 0.01 more a step until it first reaches 2 at step 199.
    step("the gear turns 5 degrees a step and grows to 2, and stays there", [] {
        for (int step = 3; step <= 400; ++step) {
            const double zoom = rotateScaleState().gearZoom;
            play("");
            EXPECT_EQ(rotateScaleState().gearAngle, 5.0 * (step % 72)) << step; // exact steps
            EXPECT_EQ(rotateScaleState().gearZoom >= 2.0, step >= 199) << step;
            EXPECT_GE(rotateScaleState().gearZoom, zoom) << step;
        }
        EXPECT_EQ(rotateScaleState().gearZoom, 2.0000000000000013);
        EXPECT_FALSE(drawsAnything()); // no gear
    });
    step("paused, the cubes stand still but the polygon stage's keys still work", [] {
        play(">");
        EXPECT_EQ(demoState().stage, DemoStage::Polygons);
        EXPECT_TRUE(drawsAnything());
        const SpinState spin = polygonStage().getSmallSpin();
        EXPECT_EQ(polygonStage().getPolygon().alpha, 0);
        play("pe");
        EXPECT_EQ(polygonStage().getPolygon().alpha, 127);
        play("p");
        for (int k = 0; k < 3; ++k) {
            EXPECT_EQ(polygonStage().getSmallSpin().angles[k], spin.rates[k]);
        }
    });
    step("without a level, straight on to the sound stage with its music", [&] {
        EXPECT_EQ(music.volume, 0);
        play(">");
        EXPECT_EQ(demoState().stage, DemoStage::Sound);
        EXPECT_EQ(music.volume, 30);
        EXPECT_NE(access("mapdump.dat", F_OK), 0);
        EXPECT_FALSE(drawsAnything());
    });
    // An arrow leads nowhere, and the stage's first tick is the next one. The pan goes to the
    // channel the effect got, a refused -1 included.
    step("the effect plays every 120th tick, panned left, both, right in turn", [&] {
        Mix_Chunk axe{};
        gAxeSound = &axe;
        playResults = {3, 0, 7, -1, 5};
        std::vector<int> playTicks;
        for (int tick = 1; tick <= 659; ++tick) {
            play(tick == 1 ? ">" : "");
            if (plays.size() > playTicks.size()) { // nothing played before this step
                playTicks.push_back(tick);
            }
        }
        EXPECT_EQ(demoState().stage, DemoStage::Sound);
        EXPECT_EQ(playTicks, (std::vector<int>{120, 240, 360, 480, 600}));
        EXPECT_EQ(plays, std::vector<Call>(5, Call{-1, 0, -1}));
        EXPECT_EQ(pans, (std::vector<Call>{
                            {3, 255, 0}, {0, 255, 255}, {7, 0, 255}, {-1, 255, 0}, {5, 255, 255}}));
        EXPECT_EQ(log.text(), loadLog); // nothing logged since loading
        gAxeSound = nullptr;
    });
}

} // namespace
