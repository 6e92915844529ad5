// The polygon stage: one Polygon3d re-pointed at each face of two cubes in turn, so that the
// depth buffer resolves where the cubes pass through each other.
#include "demo/polygonstage.h"

#include "tarvo/core/log.h"
#include "tarvo/core/runseed.h"

#include <SDL.h>
#include <algorithm>
#include <cstdlib>

namespace morwenfall
{

using namespace tarvo;

namespace
{

const float kCubePositions[8][3] = {
    {-32, -32, -32}, {-32, 32, -32}, {32, 32, -32}, {32, -32, -32},
    {-32, -32, 32},  {-32, 32, 32},  {32, 32, 32},  {32, -32, 32},
};

// Vertex colours as screen pixels (0xAARRGGBB), by vertex index.
const uint32_t kBlueColors[8] = {0xFF000020, 0xFF000060, 0xFF0000A0, 0xFF0000E0,
                                 0xFF0000E0, 0xFF0000A0, 0xFF000060, 0xFF000020};
const uint32_t kRedColors[8] = {0xFF200000, 0xFF600000, 0xFFE00000, 0xFFA00000,
                                0xFF200000, 0xFF600000, 0xFFE00000, 0xFFA00000};
const uint32_t kGreenColors[8] = {0xFF002000, 0xFF006000, 0xFF00A000, 0xFF00E000,
                                  0xFF00E000, 0xFF00A000, 0xFF006000, 0xFF002000};
const uint32_t kGreyColors[8] = {0xFF202020, 0xFF606060, 0xFFE0E0E0, 0xFFA0A0A0,
                                 0xFF202020, 0xFF606060, 0xFFE0E0E0, 0xFFA0A0A0};

// Six quads in drawing order; the first corner gives a flat face its colour.
const uint8_t kCubeFaces[6][4] = {{2, 1, 0, 3}, {4, 5, 6, 7}, {0, 1, 5, 4},
                                  {2, 3, 7, 6}, {4, 7, 3, 0}, {1, 2, 6, 5}};

// Every face maps the whole 32 x 32 texture, corner by corner.
const float kCornerUv[4][2] = {{0, 0}, {32, 0}, {32, 32}, {0, 32}};

const uint8_t kTranslucentAlpha = 127; // weight 128 of 256: an even mix
const uint8_t kOpaqueAlpha = 0;
const uint8_t kTexelAlphaOnly = 255; // full polygon weight, so the texel's own alpha decides

// 4096 whole turns of 256 steps. Below 2^21 every sum of eighths is exact in a float, so an
// angle moved back by this much on reaching it gives the same picture and never drifts.
const float kAngleWrap = 1048576.0f;

const float kSmallCubeScale = 0.8f;
const float kLargeCubeScale = 1.0f;

PolygonStage* stage = nullptr; // never freed: the stage lasts the whole run

void loadModel(Vertex3d* model, const uint32_t* colors)
{
    for (int i = 0; i < 8; ++i) {
        model[i] = Vertex3d();
        model[i].x = kCubePositions[i][0];
        model[i].y = kCubePositions[i][1];
        model[i].z = kCubePositions[i][2];
        model[i].color = colors[i];
    }
}

// One of 32 equally likely rates, -2.0 to 1.875 angle steps per tick in eighths.
float randomRate()
{
    return static_cast<float>((std::rand() & 31) - 16) * 0.125f;
}

void loadTexture(Surface& texture, const char* name)
{
    texture.loadImage(name);
    texture.convertToDisplayFormat(true);
}

float wrapAngle(float angle)
{
    if (angle >= kAngleWrap) {
        return angle - kAngleWrap;
    }
    if (angle <= -kAngleWrap) {
        return angle + kAngleWrap;
    }
    return angle;
}

// Only what the drawers accept: 32 bits a pixel, power-of-two sides. A missing file leaves
// the surface empty, without a format.
bool usableTexture(const Surface& texture)
{
    const SDL_PixelFormat* format = texture.getPixelFormat();
    const int width = texture.getWidth();
    const int height = texture.getHeight();
    return format && format->BitsPerPixel == 32 && width > 0 && height > 0 &&
           (width & (width - 1)) == 0 && (height & (height - 1)) == 0;
}

// Screen-space winding of the first three corners; positive faces the viewer.
bool facesViewer(Vertex3d* const* p)
{
    return (p[2]->y - p[1]->y) * (p[1]->x - p[0]->x) - (p[1]->y - p[0]->y) * (p[2]->x - p[1]->x) >
           0.0f;
}

} // namespace

PolygonStage::PolygonStage(const Surface& screen)
{
    const int width = screen.getWidth();
    const int height = screen.getHeight();
    depthValues.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0.0f);
    depthBuffer.data = depthValues.data();
    depthBuffer.width = width;
    depthBuffer.height = height;

    viewport.scaleX = static_cast<float>(width / 2);
    viewport.scaleY = static_cast<float>(height / 2);
    viewport.centerX = static_cast<float>(width / 2);
    viewport.centerY = static_cast<float>(height / 2);

    // Eye level with the cubes' centres, a quarter turn wide.
    camera.setLookAt({96, 96, 0}, {-1, -1, 0}, {0, 0, 1}, 64,
                     static_cast<float>(width) / static_cast<float>(height));

    polygon.type = PFLAT;
    polygon.interpFlags = kDefaultInterpFlags[PFLAT];
    polygon.depthBuffer = &depthBuffer;

    loadTexture(firstTexture, "demo1/test.png");
    loadTexture(secondTexture, "demo1/testa.png");
    polygon.setTexture(&firstTexture);

    loadModel(smallModel, kBlueColors);
    loadModel(largeModel, kGreenColors);
}

void PolygonStage::reset(uint32_t seed)
{
    SpinState small;
    SpinState large;
    std::srand(seed);
    for (float& rate : small.rates) {
        rate = randomRate();
    }
    for (float& rate : large.rates) {
        rate = randomRate();
    }
    setSpin(small, large);
}

void PolygonStage::setSpin(const SpinState& small, const SpinState& large)
{
    smallSpin = small;
    largeSpin = large;
    rebuildCubeMatrices();
}

void PolygonStage::update()
{
    for (int k = 0; k < 3; ++k) {
        smallSpin.angles[k] = wrapAngle(smallSpin.angles[k] + smallSpin.rates[k]);
        largeSpin.angles[k] = wrapAngle(largeSpin.angles[k] + largeSpin.rates[k]);
    }
    rebuildCubeMatrices();
}

void PolygonStage::rebuildCubeMatrices()
{
    const float* a = smallSpin.angles;
    smallCube.setRotation(kSmallCubeScale, a[0], a[1], a[2], -16, 16, 0);
    a = largeSpin.angles;
    largeCube.setRotation(kLargeCubeScale, a[0], a[1], a[2], 16, -16, 0);
    // The camera goes after each cube's own turn, so vertices go straight to view space.
    Matrix34::compose(smallCube, camera, smallCube);
    Matrix34::compose(largeCube, camera, largeCube);
}

void PolygonStage::draw(Surface& target)
{
    clearDepth(depthBuffer);
    for (int i = 0; i < 8; ++i) {
        smallWork[i] = Vertex3d();
        smallWork[i].color = smallModel[i].color;
        largeWork[i] = Vertex3d();
        largeWork[i].color = largeModel[i].color;
    }
    transformVertices(smallCube, smallModel, smallWork, 8);
    transformVertices(largeCube, largeModel, largeWork, 8);
    projectVertices(viewport, smallWork, smallWork, 8);
    projectVertices(viewport, largeWork, largeWork, 8);

    // Small and large alternate face by face: with translucency this order decides how the
    // faces blend into one another.
    for (const uint8_t* face : kCubeFaces) {
        drawFace(target, smallWork, face);
        drawFace(target, largeWork, face);
    }
}

void PolygonStage::drawFace(Surface& target, Vertex3d* cube, const uint8_t* face)
{
    for (int k = 0; k < 4; ++k) {
        faceCorners[k] = &cube[face[k]];
        faceCorners[k]->u = kCornerUv[k][0];
        faceCorners[k]->v = kCornerUv[k][1];
    }
    polygon.vertices = faceCorners;
    polygon.vertexCount = 4;
    // Translucent faces show their backs too, so only opaque ones are culled.
    if (polygon.alpha == 0 && !facesViewer(faceCorners)) {
        return;
    }
    polygon.draw(target);
}

void PolygonStage::handleKey(uint16_t character)
{
    switch (character) {
    case 'e':
        translucent = !translucent;
        polygon.alpha = translucent ? kTranslucentAlpha : kOpaqueAlpha;
        break;
    case 'r':
        typeCounter = typeCounter == 3 ? 0 : typeCounter + 1;
        polygon.type = static_cast<uint32_t>(typeCounter);
        polygon.interpFlags = kDefaultInterpFlags[typeCounter];
        loadModel(smallModel, typeCounter == 3 ? kRedColors : kBlueColors);
        loadModel(largeModel, typeCounter == 3 ? kGreyColors : kGreenColors);
        break;
    case 't':
        // Checked only here, so a demo without the second texture runs until t is pressed.
        if (!secondTextureShown && !usableTexture(secondTexture)) {
            if (!secondTextureWarned) {
                gLog->print("Warning: demo1/testa.png is not a usable texture; t does nothing");
                secondTextureWarned = true;
            }
            break;
        }
        secondTextureShown = !secondTextureShown;
        polygon.setTexture(secondTextureShown ? &secondTexture : &firstTexture);
        polygon.alpha = secondTextureShown ? kTexelAlphaOnly : kOpaqueAlpha;
        break;
    default:
        break;
    }
}

const PolygonStage& polygonStage()
{
    return *stage;
}

void setupPolygonStage()
{
    stage = new PolygonStage(*gScreen);
}

void resetPolygonStage()
{
    stage->reset(gRunSeed);
}

void updatePolygonStage()
{
    stage->update();
}

void drawPolygonStage()
{
    stage->draw(*gScreen);
}

void handlePolygonStageKey(uint16_t character)
{
    stage->handleKey(character);
}

} // namespace morwenfall
