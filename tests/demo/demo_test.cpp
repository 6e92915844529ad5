// The stage machine driven tick by tick, with game data holding only the polygon textures,
// so the level cannot load.
#include "audio/music.h"
#include "audio/sound.h"
#include "engine/demohooks.h"
#include "demo/demo.h"
#include "demo/rotatescale.h"
#include "demo/soundstage.h"
#include "support/capturedlog.h"
#include "support/gamedir.h"
#include "video/surface.h"

#include <SDL.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

namespace
{

void pressRight()
{
    SDL_Event event{};
    event.type = event.key.type = SDL_KEYDOWN;
    event.key.state = SDL_PRESSED;
    event.key.keysym.sym = SDLK_RIGHT;
    handleDemoEvent(event);
}

// One walk from the first tick to the last stage, since the demo's state is never reset.
TEST(DemoStages, WalkFromTitleToSound)
{
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0);
    Surface screen;
    ASSERT_TRUE(screen.setVideoMode(320, 240, 32, 0));
    gScreen = &screen;
    const GameDir game;
    const std::string& directory = game.path;
    ASSERT_EQ(chdir(directory.c_str()), 0);
    std::filesystem::create_directory(directory + "/demo1");
    SDL_Surface* texture = SDL_CreateRGBSurface(SDL_SWSURFACE, 32, 32, 32, 0xFF0000, 0xFF00, 0xFF, 0);
    ASSERT_NE(texture, nullptr);
    for (const char* name : {"/demo1/test.png", "/demo1/testa.png"}) {
        ASSERT_EQ(SDL_SaveBMP(texture, (directory + name).c_str()), 0); // read by content
    }
    SDL_FreeSurface(texture);
    CapturedLog log;
    SoundBank sound;
    MusicPlayer music;
    gSound = &sound;
    gMusic = &music;
    loadDemoAssets(false);

    int amplitudeStopped = 0;
    int decayStopped = 0;
    for (int tick = 1; tick <= 900; ++tick) {
        updateDemo();
        if (demoState().waveAmplitude <= 0 && amplitudeStopped == 0) {
            amplitudeStopped = tick;
        }
        if (demoState().waveDecay <= 0 && decayStopped == 0) {
            decayStopped = tick;
        }
    }
    EXPECT_EQ(amplitudeStopped, 531);
    EXPECT_EQ(decayStopped, 796);
    EXPECT_EQ(demoState().stage, DemoStage::Title);

    // Two arrows in one tick advance one stage; the changing tick runs no stage step.
    pressRight();
    pressRight();
    updateDemo();
    EXPECT_EQ(demoState().stage, DemoStage::RotateScale);
    EXPECT_EQ(rotateScaleState().gearAngle, 0.0);
    updateDemo();
    EXPECT_EQ(demoState().stage, DemoStage::RotateScale);
    EXPECT_EQ(rotateScaleState().gearAngle, 5.0);

    pressRight();
    updateDemo();
    EXPECT_EQ(demoState().stage, DemoStage::Polygons);

    // The level fails to load: straight on to the sound stage, music started at volume 30.
    EXPECT_EQ(music.volume, 0);
    pressRight();
    updateDemo();
    EXPECT_EQ(demoState().stage, DemoStage::Sound);
    EXPECT_EQ(music.volume, 30);
    EXPECT_EQ(soundStageState().soundTicks, 0);
    EXPECT_NE(access("mapdump.dat", F_OK), 0);
    updateDemo();
    EXPECT_EQ(soundStageState().soundTicks, 1);

    gSound = nullptr;
    gMusic = nullptr;
    gScreen = nullptr;
    ASSERT_EQ(chdir("/"), 0);
}

} // namespace
