// The rotate-and-scale stage: spins and grows gGear through Surface::rotoZoom.
#include "demo/rotatescale.h"

#include "demo/demo.h"
#include "tarvo/video/surface.h"

namespace morwenfall
{

using namespace tarvo;

namespace
{

constexpr double kAngleStep = 5.0;
constexpr double kZoomStep = 0.01;
constexpr double kZoomLimit = 2.0;
constexpr uint32_t kWhite = 0xFFFFFF; // raw pixel of the 32-bit screen format

RotateScaleState state;

} // namespace

const RotateScaleState& rotateScaleState()
{
    return state;
}

void updateRotateScaleStage()
{
    state.gearAngle += kAngleStep;
    if (state.gearAngle >= 360.0) {
        state.gearAngle -= 360.0;
    }
    // Compared before adding, so the zoom overshoots 2.0 by one step's rounding and stays.
    if (state.gearZoom < kZoomLimit) {
        state.gearZoom += kZoomStep;
    }
}

void drawRotateScaleStage()
{
    // A fresh copy every frame: transforming the previous copy would compound the blur.
    Surface copy;
    copy.rotoZoom(*gGear, state.gearAngle, state.gearZoom, 0);
    copy.setColorKey(SDL_SRCCOLORKEY, kWhite);
    // Larger than the screen gives a negative position, which SDL clips.
    SDL_Rect position = {static_cast<Sint16>((kScreenWidth - copy.getWidth()) >> 1),
                         static_cast<Sint16>((kScreenHeight - copy.getHeight()) >> 1), 0, 0};
    copy.blitTo(*gScreen, nullptr, &position);
    copy.release();
}

} // namespace morwenfall
