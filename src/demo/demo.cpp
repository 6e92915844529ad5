// The demo's stage machine and its title stage: loads the shared assets, advances the current
// stage once per unpaused tick, handles the demo's keys and draws picture, title and counter.
#include "demo/demo.h"

#include "demo/polygonstage.h"
#include "demo/rotatescale.h"
#include "demo/soundstage.h"
#include "demo/tilestage.h"
#include "tarvo/audio/music.h"
#include "tarvo/audio/sound.h"
#include "tarvo/engine/levelloop.h"
#include "tarvo/engine/mainloop.h"
#include "tarvo/video/font.h"
#include "tarvo/video/surface.h"

#include <SDL.h>
#include <cstdio>

namespace morwenfall
{

using namespace tarvo;

BitmapFont* gDemoFont = nullptr;
Surface* gLogo = nullptr;
Surface* gGear = nullptr;
Mix_Chunk* gAxeSound = nullptr;

namespace
{

// Title ripple: the decrement itself shrinks, so the logo settles smoothly.
constexpr double kDecayStep = 0.0000817;
constexpr double kWaveFrequency = 0.115;
constexpr double kWaveRowFactor = 2.0;

// Not in stage order: kTitleLayouts names each stage's entry.
const char* const stageTitles[] = {
    "Morwenfall\nTech Demo One",
    "Rotation and Scaling Demo",
    "Sound Demo\nPress X to Exit",
    "Polygon Demo",
    "Tile Engine Demo",
};

struct TitleLayout {
    int entry; // into stageTitles
    int y;
    bool centered;
};
// Indexed by DemoStage.
constexpr TitleLayout kTitleLayouts[] = {
    {0, 200, true}, {1, 1, false}, {3, 1, false}, {4, 232, false}, {2, 92, true},
};

DemoState state;
TitleStageState title;

// Consumes a pending advance request; true when there was one.
bool takeAdvanceRequest()
{
    const bool requested = state.advanceRequested;
    state.advanceRequested = false;
    return requested;
}

void advanceStage()
{
    switch (state.stage) {
    case DemoStage::Title:
        state.stage = DemoStage::RotateScale;
        break;
    case DemoStage::RotateScale:
        state.stage = DemoStage::Polygons;
        break;
    case DemoStage::Polygons:
        if (enterTileStage()) {
            state.stage = DemoStage::Tiles;
            break;
        }
        // Without a level the tile stage is skipped. Nothing is logged for it: the image
        // loader's warning, when an image was the cause, is the only trace.
        [[fallthrough]];
    case DemoStage::Tiles:
        enterSoundStage();
        state.stage = DemoStage::Sound;
        break;
    case DemoStage::Sound:
        break;
    }
}

void drawTitle()
{
    const TitleLayout& layout = kTitleLayouts[static_cast<int>(state.stage)];
    const char* text = stageTitles[layout.entry];
    const int x = (kScreenWidth - gDemoFont->textWidth(text)) >> 1;
    gDemoFont->drawText(*gScreen, x, layout.y, text, layout.centered ? BitmapFont::centered : 0);
}

void drawFpsCounter()
{
    char text[32];
    std::snprintf(text, sizeof(text), "FPS: %d", gMainLoop->fps);
    gDemoFont->drawText(*gScreen, 0, 232, text, 0);
}

} // namespace

const DemoState& demoState()
{
    return state;
}

const TitleStageState& titleStageState()
{
    return title;
}

void updateTitleStage()
{
    // Each stops once it is no longer positive, also when it lands on exactly 0.
    if (title.waveAmplitude > 0) {
        title.waveAmplitude -= title.waveDecay;
    }
    if (title.waveDecay > 0) {
        title.waveDecay -= kDecayStep;
    }
}

void drawTitleStage()
{
    // The phase follows the loop's tick counter, so the ripple moves even while paused. Read
    // as two's complement, the wrapping counter gives the phases a signed counter always had.
    gScreen->waveBlit(*gLogo, title.waveAmplitude, kWaveFrequency, kWaveRowFactor,
                      static_cast<int32_t>(gMainLoop->tickCount), false);
}

void Demo::load(bool reload)
{
    if (!reload) {
        gDemoFont = new BitmapFont("demo1/OLMFontBlue.png", 8, 8);
        gLogo = new Surface;
        gGear = new Surface;
        gAxeSound = gSound->loadSound("demo1/Axe.wav");
        // Loaded now, played from the sound stage on.
        gMusic->load("demo1/OLM- Meridel2.mid");
        setupPolygonStage();
        resetPolygonStage();
        // The level designer's loop: the level from -level is shown from the first tick.
        if (!levelPath().empty() && enterTileStage()) {
            state.stage = DemoStage::Tiles;
        }
    }
    // The images are reloaded on every restore of the window; each load frees the old copy.
    gLogo->loadImage("demo1/OLM Logo.png");
    gLogo->convertToDisplayFormat(false);
    gGear->loadImage("demo1/GEAR5.PNG");
    gGear->convertToDisplayFormat(false);
}

void Demo::update()
{
    // A right arrow pressed while paused is dropped, not kept for later.
    if (state.paused) {
        state.advanceRequested = false;
        return;
    }
    // The last stage has nothing to advance to, so there the request is left alone.
    if (state.stage != DemoStage::Sound && takeAdvanceRequest()) {
        // A tick that changes the stage runs no stage step; the new stage starts next tick.
        advanceStage();
        return;
    }
    switch (state.stage) {
    case DemoStage::Title:
        updateTitleStage();
        break;
    case DemoStage::RotateScale:
        updateRotateScaleStage();
        break;
    case DemoStage::Polygons:
        updatePolygonStage();
        break;
    case DemoStage::Tiles:
        updateTileStage();
        break;
    case DemoStage::Sound:
        updateSoundStage();
        break;
    }
}

void Demo::handleEvent(const SDL_Event& event)
{
    if (event.type != SDL_KEYDOWN) {
        return;
    }
    // Letters come from the translated character, so shift or caps lock changes them; the
    // arrow has no character and is read from its key symbol.
    const SDL_keysym& key = event.key.keysym;
    if (key.unicode != 0) {
        switch (key.unicode) {
        case 'p':
            state.paused = !state.paused;
            break;
        case 's':
            gScreen->saveBmp("kelda.bmp");
            break;
        case 'x':
            requestQuit(0);
            return;
        default:
            break;
        }
    } else if (key.sym == SDLK_RIGHT) {
        state.advanceRequested = true;
    }
    // The polygon stage's own keys work while paused too.
    if (state.stage == DemoStage::Polygons) {
        handlePolygonStageKey(key.unicode);
    }
}

const char* Demo::stageName() const
{
    static const char* const names[] = {"title", "rotatescale", "polygons", "tiles", "sound"};
    return names[static_cast<int>(state.stage)];
}

void Demo::draw()
{
    gScreen->clear();
    switch (state.stage) {
    case DemoStage::Title:
        drawTitleStage();
        break;
    case DemoStage::RotateScale:
        drawRotateScaleStage();
        break;
    case DemoStage::Polygons:
        drawPolygonStage();
        break;
    case DemoStage::Tiles:
        drawTileStage();
        break;
    case DemoStage::Sound:
        break; // no picture: the title alone
    }
    drawTitle();
    drawFpsCounter();
}

} // namespace morwenfall
