// The stage machine driven tick by tick and key by key, with game data holding only the
// polygon textures: the font, logo, gear, effect, music and level all fail to load.
#include "audio/music.h"
#include "audio/sound.h"
#include "demo/demo.h"
#include "demo/polygonstage.h"
#include "demo/rotatescale.h"
#include "demo/soundstage.h"
#include "engine/demohooks.h"
#include "engine/mainloop.h"
#include "support/capturedlog.h"
#include "support/gamedir.h"
#include "video/surface.h"

#include <SDL.h>
#include <algorithm>
#include <gtest/gtest.h>
#include <regex>
#include <string>
#include <unistd.h>
#include <vector>

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
        handleDemoEvent(event);
    }
    for (int tick = 0; tick < ticks; ++tick) {
        updateDemo();
    }
}

// Draws a frame; true when anything on the screen is not black.
bool drawsAnything()
{
    drawDemo();
    gScreen->lock();
    const SDL_Surface* screen = gScreen->getSdlSurface();
    const auto* pixels = static_cast<const uint32_t*>(screen->pixels);
    const bool lit = std::any_of(pixels, pixels + screen->h * screen->pitch / 4,
                                 [](uint32_t pixel) { return pixel != 0; });
    gScreen->unlock();
    return lit;
}

// The file names a log quotes, in order: "name" or file 'name'.
std::vector<std::string> quotedNames(const std::string& text)
{
    static const std::regex quoted("\"([^\"]+)\"|file '([^']+)'");
    std::vector<std::string> names;
    for (std::sregex_iterator it(text.begin(), text.end(), quoted), end; it != end; ++it) {
        names.push_back((*it)[1].matched ? (*it)[1] : (*it)[2]);
    }
    return names;
}

// One walk from the first tick to the last stage, since the demo's state is never reset.
TEST(DemoStages, WalkFromTitleToSound)
{
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0);
    Surface screen;
    ASSERT_TRUE(screen.setVideoMode(320, 240, 32, 0));
    gScreen = &screen;
    const GameDir game;
    ASSERT_EQ(chdir(game.path.c_str()), 0); // where a level dump would land
    SDL_Surface* texture =
        SDL_CreateRGBSurface(SDL_SWSURFACE, 32, 32, 32, 0xFF0000, 0xFF00, 0xFF, 0);
    ASSERT_NE(texture, nullptr);
    for (const char* name : {"demo1/test.png", "demo1/testa.png"}) {
        ASSERT_EQ(SDL_SaveBMP(texture, game.file(name).c_str()), 0); // read by content
    }
    SDL_FreeSurface(texture);
    CapturedLog log;
    SoundBank sound;
    sound.allocateChannels(8); // enabled, so that a missing effect is reported
    MusicPlayer music;
    music.enable();
    gSound = &sound;
    gMusic = &music;
    MainLoop loop; // loads the demo's assets
    gMainLoop = &loop;
    // Each missing asset is reported once by its loader, in the order of loading; the font's
    // loader reports nothing.
    const std::string loadLog = log.text();
    EXPECT_EQ(quotedNames(loadLog),
              (std::vector<std::string>{"demo1/Axe.wav", "demo1/OLM- Meridel2.mid",
                                        "demo1/OLM Logo.png", "demo1/GEAR5.PNG"}))
        << loadLog;

    // The ripple's amplitude stops shrinking at tick 531 and stays; its decay stops at 796.
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

    // P is not p, and e belongs to the polygon stage alone. Two arrows in one tick advance one
    // stage, and the changing tick runs no stage step.
    play("Pe>>");
    EXPECT_EQ(demoState().stage, DemoStage::RotateScale);
    EXPECT_EQ(rotateScaleState().gearAngle, 0.0);
    // Paused, nothing steps and an arrow is dropped; p again resumes.
    play("");
    play("p>");
    play("p");
    EXPECT_EQ(demoState().stage, DemoStage::RotateScale);
    EXPECT_EQ(rotateScaleState().gearAngle, 10.0);
    EXPECT_FALSE(drawsAnything()); // no gear

    play(">");
    EXPECT_EQ(demoState().stage, DemoStage::Polygons);
    EXPECT_TRUE(drawsAnything());
    // Paused, the cubes stand still but the stage's keys still work.
    const SpinState spin = polygonStage().getSmallSpin();
    EXPECT_EQ(polygonStage().getPolygon().alpha, 0);
    play("pe");
    EXPECT_EQ(polygonStage().getPolygon().alpha, 127);
    play("p");
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(polygonStage().getSmallSpin().angles[k], spin.rates[k]);
    }

    // The level fails to load: straight on to the sound stage with its music, nothing logged.
    EXPECT_EQ(music.volume, 0);
    play(">");
    EXPECT_EQ(demoState().stage, DemoStage::Sound);
    EXPECT_EQ(music.volume, 30);
    EXPECT_EQ(soundStageState().soundTicks, 0);
    EXPECT_NE(access("mapdump.dat", F_OK), 0);
    EXPECT_EQ(log.text(), loadLog);
    // The last stage: an arrow leads nowhere and the stage runs on.
    play(">");
    EXPECT_EQ(demoState().stage, DemoStage::Sound);
    EXPECT_EQ(soundStageState().soundTicks, 1);
    EXPECT_FALSE(drawsAnything());

    gMainLoop = nullptr;
    gSound = nullptr;
    gMusic = nullptr;
    gScreen = nullptr;
    ASSERT_EQ(chdir("/"), 0);
}

} // namespace
