// The tile stage: the loaded level toured by an automatic camera, with its position shown.
#pragma once

#include <cstdint>

// The camera's tour: a wait, the four edges of the first layer, then out and back diagonally.
struct TileCamera {
    // One tick of the tour over a layer of the given size in pixels.
    void step(int32_t layerPixelWidth, int32_t layerPixelHeight);

    int32_t cameraX = 24; // level pixel at the screen's top-left corner
    int32_t cameraY = 24;
    int32_t state = 0; // 0 wait, 1 right, 2 down, 3 left, 4 up, 5 diagonal out, 6 diagonal back
    int32_t waitCounter = 60;
};

extern TileCamera gTileCamera;

// One camera step over gLevel's first layer; nothing without a level.
void updateTileStage();
// The level for the camera and "Camera pos: X, Y" at the top-left corner.
void drawTileStage();
