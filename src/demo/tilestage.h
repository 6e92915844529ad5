// The tile stage: the loaded level toured by an automatic camera, with its position shown.
#pragma once

#include <cstdint>

namespace morwenfall
{

// The legs of the camera's tour, in the order it takes them.
enum class CameraLeg : int32_t {
    Wait = 0,
    Right = 1,
    Down = 2,
    Left = 3,
    Up = 4,
    DiagonalOut = 5,
    DiagonalBack = 6,
};

// The camera's tour: a wait, the four edges of the first layer, then out and back diagonally.
struct TileCamera {
    // One tick of the tour over a layer of the given size in pixels.
    void step(int32_t layerPixelWidth, int32_t layerPixelHeight);

    int32_t cameraX = 24; // level pixel at the screen's top-left corner
    int32_t cameraY = 24;
    CameraLeg leg = CameraLeg::Wait;
    int32_t waitCounter = 60;
};

// The stage's camera, set when the program starts and never reset.
const TileCamera& tileCamera();

// Loads the level, binds its layer views and dumps its first layer; false, with nothing done
// after the load, when the level does not load. With -level, the level given there instead.
bool enterTileStage();
// One camera step over gLevel's first layer and one tick of its animated tiles; nothing
// without a level.
void updateTileStage();
// The level for the camera and "Camera pos: X, Y" at the top-left corner.
void drawTileStage();

} // namespace morwenfall
