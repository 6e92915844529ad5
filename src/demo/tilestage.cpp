// The tile stage: a camera that tours the level's first layer edge by edge and then
// diagonally, one pixel per tick, over and over.
#include "demo/tilestage.h"

#include "demo/demo.h"
#include "tiles/level.h"
#include "video/font.h"
#include "video/surface.h"

#include <cstdio>

TileCamera gTileCamera;

namespace
{

constexpr int32_t kEdge = 24; // one tile: row 0 and column 0 stay just off-screen
constexpr int32_t kWaitTicks = 60;

} // namespace

// Each state's exit test runs after its step on the same tick; the exits clamp to the edge.
void TileCamera::step(int32_t layerPixelWidth, int32_t layerPixelHeight)
{
    const int32_t right = layerPixelWidth - kScreenWidth;
    const int32_t bottom = layerPixelHeight - kScreenHeight;
    switch (state) {
    case 0:
        // The tick that finds the counter at 0 only resets it, so a wait lasts 61 ticks.
        if (waitCounter != 0) {
            --waitCounter;
        } else {
            waitCounter = kWaitTicks;
            state = 1;
        }
        break;
    case 1:
        if (++cameraX >= right) {
            cameraX = right;
            state = 2;
        }
        break;
    case 2:
        if (++cameraY >= bottom) {
            cameraY = bottom;
            state = 3;
        }
        break;
    case 3:
        if (--cameraX <= kEdge) {
            cameraX = kEdge;
            state = 4;
        }
        break;
    case 4:
        if (--cameraY <= kEdge) {
            cameraY = kEdge;
            state = 5;
        }
        break;
    case 5:
        ++cameraX;
        ++cameraY;
        if (cameraX >= right) {
            cameraX = right;
            state = 6;
        } else if (cameraY >= bottom) {
            cameraY = bottom;
            state = 6;
        }
        break;
    case 6:
        --cameraX;
        --cameraY;
        if (cameraX <= kEdge || cameraY <= kEdge) {
            cameraX = kEdge;
            cameraY = kEdge;
            state = 0;
        }
        break;
    default:
        break;
    }
}

void updateTileStage()
{
    if (gLevel && gLevel->layers[0]) {
        gTileCamera.step(gLevel->layers[0]->pixelWidth, gLevel->layers[0]->pixelHeight);
    }
}

void drawTileStage()
{
    drawLevel(gTileCamera.cameraX, gTileCamera.cameraY);
    if (gDemoFont && gScreen) {
        char text[1024];
        std::snprintf(text, sizeof text, "Camera pos: %d, %d", gTileCamera.cameraX,
                      gTileCamera.cameraY);
        gDemoFont->drawText(*gScreen, 0, 0, text, 0);
    }
}
