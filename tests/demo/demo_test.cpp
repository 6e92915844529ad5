// The stage machine driven tick by tick with synthetic key events, with audio disabled and
// game data that holds nothing but the two polygon textures, so the level cannot load.
#include "audio/music.h"
#include "audio/sound.h"
#include "core/demohooks.h"
#include "demo/demo.h"
#include "demo/rotatescale.h"
#include "demo/soundstage.h"
#include "support/capturedlog.h"
#include "video/surface.h"

#include <SDL.h>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <physfs.h>
#include <string>
#include <unistd.h>

namespace
{

SDL_Event keyEvent(Uint8 type, SDLKey sym, Uint16 unicode, SDLMod mod = KMOD_NONE)
{
    SDL_Event event{};
    event.type = type;
    event.key.type = type;
    event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.sym = sym;
    event.key.keysym.unicode = unicode;
    event.key.keysym.mod = mod;
    return event;
}

void press(SDLKey sym, Uint16 unicode, SDLMod mod = KMOD_NONE)
{
    handleDemoEvent(keyEvent(SDL_KEYDOWN, sym, unicode, mod));
}

void pressRight()
{
    press(SDLK_RIGHT, 0);
}

// Writes a 32 x 32 texture with an alpha channel; the image loader recognises the BMP by its
// contents whatever the name says.
void writeTexture(const std::string& path)
{
    SDL_Surface* texture =
        SDL_CreateRGBSurface(SDL_SWSURFACE, 32, 32, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000);
    ASSERT_NE(texture, nullptr);
    SDL_FillRect(texture, nullptr, 0xFF808080);
    ASSERT_EQ(SDL_SaveBMP(texture, path.c_str()), 0);
    SDL_FreeSurface(texture);
}

class DemoStages : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // One screen for the process: SDL_Quit after a video mode leaks SDL's bookkeeping.
        static Surface* screen = nullptr;
        if (!screen) {
            ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0);
            screen = new Surface;
            ASSERT_TRUE(screen->setVideoMode(320, 240, 32, 0));
        }
        gScreen = screen;
        char pattern[] = "/tmp/tarvo-demo-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        directory = pattern;
        ASSERT_EQ(chdir(directory.c_str()), 0);
        // Game data holding only the polygon textures, without which the demo cannot start.
        std::filesystem::create_directory(directory + "/demo1");
        writeTexture(directory + "/demo1/test.png");
        writeTexture(directory + "/demo1/testa.png");
        ASSERT_NE(PHYSFS_init(nullptr), 0);
        ASSERT_NE(PHYSFS_mount(directory.c_str(), nullptr, 1), 0);
        gSound = &sound;
        gMusic = &music;
    }
    void TearDown() override
    {
        gSound = nullptr;
        gMusic = nullptr;
        gScreen = nullptr;
        PHYSFS_deinit();
        ASSERT_EQ(chdir("/"), 0);
        std::filesystem::remove_all(directory);
    }

    std::string directory;
    CapturedLog log;
    SoundBank sound;
    MusicPlayer music;
};

DemoStage stage()
{
    return demoState().stage;
}

// One walk from the first tick to the last stage, since the demo's state is never reset.
TEST_F(DemoStages, WalkFromTitleToSound)
{
    loadDemoAssets(false);
    EXPECT_NE(log.text().find("Warning: Couldn't open image file 'demo1/OLM Logo.png'."),
              std::string::npos);

    // Title: the ripple decays only on unpaused ticks; pause, a dropped arrow, a shifted P
    // and other event types are mixed in early, while the amplitude still moves.
    int titleTicks = 0;
    int amplitudeStopped = 0;
    int decayStopped = 0;
    auto titleTick = [&] {
        updateDemo();
        ++titleTicks;
        if (demoState().waveAmplitude <= 0 && amplitudeStopped == 0) {
            amplitudeStopped = titleTicks;
        }
        if (demoState().waveDecay <= 0 && decayStopped == 0) {
            decayStopped = titleTicks;
        }
    };
    for (int i = 0; i < 100; ++i) {
        titleTick();
    }

    press(SDLK_p, 'p');
    pressRight();
    const DemoState frozen = demoState();
    for (int i = 0; i < 30; ++i) {
        updateDemo();
    }
    EXPECT_TRUE(demoState().paused);
    EXPECT_EQ(demoState().waveAmplitude, frozen.waveAmplitude);
    EXPECT_EQ(demoState().waveDecay, frozen.waveDecay);
    press(SDLK_p, 'p');
    EXPECT_FALSE(demoState().paused);
    titleTick();
    EXPECT_EQ(stage(), DemoStage::Title) << "an arrow pressed while paused must be dropped";

    // Neither a shifted P, key releases, nor other events pause or advance.
    press(SDLK_p, 'P', KMOD_LSHIFT);
    handleDemoEvent(keyEvent(SDL_KEYUP, SDLK_p, 'p'));
    handleDemoEvent(keyEvent(SDL_KEYUP, SDLK_RIGHT, 0));
    SDL_Event motion{};
    motion.type = SDL_MOUSEMOTION;
    handleDemoEvent(motion);
    press(SDLK_s, 'S', KMOD_LSHIFT);
    const double amplitude = demoState().waveAmplitude;
    titleTick();
    EXPECT_LT(demoState().waveAmplitude, amplitude);
    EXPECT_NE(access("kelda.bmp", F_OK), 0) << "a shifted S must not save";
    press(SDLK_s, 's');
    SDL_Surface* saved = SDL_LoadBMP("kelda.bmp");
    ASSERT_NE(saved, nullptr);
    EXPECT_EQ(saved->w, 320);
    EXPECT_EQ(saved->h, 240);
    SDL_FreeSurface(saved);
    EXPECT_FALSE(demoState().paused);
    EXPECT_EQ(stage(), DemoStage::Title);

    while (titleTicks < 900) {
        titleTick();
    }
    EXPECT_EQ(amplitudeStopped, 531);
    EXPECT_NEAR(demoState().waveAmplitude, -0.0186, 0.0001);
    EXPECT_EQ(decayStopped, 796);
    EXPECT_NEAR(demoState().waveDecay, -0.0000332, 0.0000001);
    EXPECT_EQ(stage(), DemoStage::Title);

    // Two arrows in one tick advance one stage; the changing tick runs no stage step.
    pressRight();
    pressRight();
    updateDemo();
    EXPECT_EQ(stage(), DemoStage::RotateScale);
    EXPECT_EQ(rotateScaleState().gearAngle, 0.0);
    updateDemo();
    EXPECT_EQ(stage(), DemoStage::RotateScale);
    EXPECT_EQ(rotateScaleState().gearAngle, 5.0);

    // Paused, the gear stands still and the arrow is dropped.
    press(SDLK_p, 'p');
    pressRight();
    updateDemo();
    press(SDLK_p, 'p');
    EXPECT_EQ(rotateScaleState().gearAngle, 5.0);
    updateDemo();
    EXPECT_EQ(stage(), DemoStage::RotateScale);
    EXPECT_EQ(rotateScaleState().gearAngle, 10.0);

    pressRight();
    updateDemo();
    EXPECT_EQ(stage(), DemoStage::Polygons);
    EXPECT_EQ(rotateScaleState().gearAngle, 10.0);

    // No game data: the level fails and the demo goes straight to the sound stage, starting
    // the music at volume 30; nothing is dumped.
    EXPECT_EQ(music.volume, 0);
    pressRight();
    updateDemo();
    EXPECT_EQ(stage(), DemoStage::Sound);
    EXPECT_EQ(music.volume, 30);
    EXPECT_EQ(soundStageState().soundTicks, 0);
    EXPECT_NE(access("mapdump.dat", F_OK), 0);

    // The last stage: the arrow does nothing, the timer runs, and pause holds it.
    pressRight();
    updateDemo();
    EXPECT_EQ(stage(), DemoStage::Sound);
    EXPECT_EQ(soundStageState().soundTicks, 1);
    press(SDLK_p, 'p');
    updateDemo();
    EXPECT_EQ(soundStageState().soundTicks, 1);
    press(SDLK_p, 'p');
    updateDemo();
    EXPECT_EQ(soundStageState().soundTicks, 2);
    EXPECT_FALSE(demoState().advanceRequested);

    // Only a lower-case x ends the program, with status 0; a shifted X runs on.
    EXPECT_EXIT(
        {
            press(SDLK_x, 'X', KMOD_LSHIFT);
            std::exit(3);
        },
        ::testing::ExitedWithCode(3), "");
    EXPECT_EXIT(press(SDLK_x, 'x'), ::testing::ExitedWithCode(0), "");
}

} // namespace
