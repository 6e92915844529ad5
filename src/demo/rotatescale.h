// The rotate-and-scale stage: the gear image spins and grows in the middle of the screen,
// re-transformed from the original every frame.
#pragma once

namespace morwenfall
{

// Program-wide gear motion, set when the program starts and never reset.
struct RotateScaleState {
    double gearAngle = 0.0; // degrees, kept in [0, 360)
    double gearZoom = 0.01; // both axes
};

const RotateScaleState& rotateScaleState();

// One tick: 5 degrees more and, until the gear is twice its size, 1 percent larger.
void updateRotateScaleStage();
// Draws the rotated and scaled gear centred on gScreen, white keyed out.
void drawRotateScaleStage();

} // namespace morwenfall
