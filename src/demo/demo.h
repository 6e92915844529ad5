// Morwenfall Tech Demo One: the demo's shared assets and its stage machine, which walks the
// five stages with the right-arrow key and draws each stage's picture, title and FPS counter.
#pragma once

#include "tarvo/engine/game.h"

struct Mix_Chunk;

namespace tarvo
{
class BitmapFont;
class Surface;
} // namespace tarvo

namespace morwenfall
{

// The demo as the engine's game: its stage machine, its keys p, s and x, and the current stage's
// step and picture. Its state lives for the process: the demo runs once.
class Demo : public tarvo::Game
{
public:
    void load(bool reload) override;
    void update() override;
    void handleEvent(const SDL_Event& event) override;
    void draw() override;
    const char* stageName() const override;
};

// The stages in the order they are shown; the demo only ever moves forward.
enum class DemoStage : int { Title = 0, RotateScale = 1, Polygons = 2, Tiles = 3, Sound = 4 };

// Program-wide stage machine state, set when the program starts and never reset.
struct DemoState {
    DemoStage stage = DemoStage::Title;
    bool paused = false;           // toggled by the p key
    bool advanceRequested = false; // set by the right arrow, consumed at the next tick
};

const DemoState& demoState();

// The title's ripple, set when the program starts and never reset.
struct TitleStageState {
    double waveAmplitude = 23.0; // pixels
    double waveDecay = 0.065;    // taken off the amplitude each tick
};

const TitleStageState& titleStageState();

// One tick: the amplitude shrinks by the decay, and the decay itself shrinks, until each
// reaches 0.
void updateTitleStage();
// The logo rippled on gScreen, its phase following the loop's tick counter.
void drawTitleStage();

// Created by Demo::load and kept until the process ends.
extern tarvo::BitmapFont* gDemoFont;
extern tarvo::Surface* gLogo;
extern tarvo::Surface* gGear;
extern Mix_Chunk* gAxeSound; // null when effects are disabled or the file failed

} // namespace morwenfall
