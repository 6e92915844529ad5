// The tile stage: entered by loading and dumping the level, then a camera that tours its first
// layer edge by edge and then diagonally, one pixel per tick, over and over.
#include "demo/tilestage.h"

#include "demo/demo.h"
#include "tarvo/engine/levelloop.h"
#include "tarvo/tiles/level.h"
#include "tarvo/video/font.h"
#include "tarvo/video/surface.h"

#include <cstdio>

namespace morwenfall
{

using namespace tarvo;

namespace
{

constexpr int32_t kEdge = 24; // one tile: row 0 and column 0 stay just off-screen
constexpr int32_t kWaitTicks = 60;

TileCamera camera;

} // namespace

// Each leg's exit test runs after its step on the same tick, and the exit puts the camera on
// the edge it reached or passed. Not std::clamp: on a layer narrower than 344 pixels the right
// edge lies left of kEdge, so a clamp's bounds would cross.
void TileCamera::step(int32_t layerPixelWidth, int32_t layerPixelHeight)
{
    const int32_t right = layerPixelWidth - kScreenWidth;
    const int32_t bottom = layerPixelHeight - kScreenHeight;
    switch (leg) {
    case CameraLeg::Wait:
        // The tick that finds the counter at 0 only resets it, so a wait lasts 61 ticks.
        if (waitCounter != 0) {
            --waitCounter;
        } else {
            waitCounter = kWaitTicks;
            leg = CameraLeg::Right;
        }
        break;
    case CameraLeg::Right:
        if (++cameraX >= right) {
            cameraX = right;
            leg = CameraLeg::Down;
        }
        break;
    case CameraLeg::Down:
        if (++cameraY >= bottom) {
            cameraY = bottom;
            leg = CameraLeg::Left;
        }
        break;
    case CameraLeg::Left:
        if (--cameraX <= kEdge) {
            cameraX = kEdge;
            leg = CameraLeg::Up;
        }
        break;
    case CameraLeg::Up:
        if (--cameraY <= kEdge) {
            cameraY = kEdge;
            leg = CameraLeg::DiagonalOut;
        }
        break;
    case CameraLeg::DiagonalOut:
        ++cameraX;
        ++cameraY;
        if (cameraX >= right) {
            cameraX = right;
            leg = CameraLeg::DiagonalBack;
        } else if (cameraY >= bottom) {
            cameraY = bottom;
            leg = CameraLeg::DiagonalBack;
        }
        break;
    case CameraLeg::DiagonalBack:
        --cameraX;
        --cameraY;
        if (cameraX <= kEdge || cameraY <= kEdge) {
            cameraX = kEdge;
            cameraY = kEdge;
            leg = CameraLeg::Wait;
        }
        break;
    }
}

const TileCamera& tileCamera()
{
    return camera;
}

bool enterTileStage()
{
    // A level given with -level is already loaded and bound, and stays the one shown.
    if (levelPath().empty()) {
        if (!loadLevel()) {
            return false;
        }
        bindLayerViews();
    }
    dumpLevel();
    return true;
}

void updateTileStage()
{
    if (gLevel && gLevel->layers[0]) {
        camera.step(gLevel->layers[0]->pixelWidth, gLevel->layers[0]->pixelHeight);
        gLevel->advance();
    }
}

void drawTileStage()
{
    drawLevel(camera.cameraX, camera.cameraY);
    if (gDemoFont && gScreen) {
        char text[1024];
        std::snprintf(text, sizeof text, "Camera pos: %d, %d", camera.cameraX, camera.cameraY);
        gDemoFont->drawText(*gScreen, 0, 0, text, 0);
    }
}

} // namespace morwenfall
