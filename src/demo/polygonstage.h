// The polygon stage: two cubes of flat, shaded or textured polygons spinning about their own
// centres and through each other, drawn by the software renderer with a depth buffer.
#pragma once

#include "demo/matrix.h"
#include "tarvo/render3d/polygon.h"
#include "tarvo/video/surface.h"

#include <cstdint>
#include <vector>

namespace morwenfall
{

class PolygonStage
{
public:
    // Sizes the depth buffer and viewport for the screen, aims the camera and loads both
    // textures; throws Exception when the first texture is not usable.
    explicit PolygonStage(const tarvo::Surface& screen);
    PolygonStage(const PolygonStage&) = delete;
    PolygonStage& operator=(const PolygonStage&) = delete;

    // All angles back to 0 and six new rates drawn at random from seed.
    void reset(uint32_t seed);
    // Takes both cubes' angles and rates and places the cubes for them.
    void setSpin(const SpinState& small, const SpinState& large);
    // One tick: every angle moves on by its rate, and back 2^20 steps on reaching that size.
    void update();
    // Clears the depth buffer and draws both cubes, face by face, into target.
    void draw(tarvo::Surface& target);
    // e: translucency, r: next polygon type, t: the other texture (when usable; a warning the
    // first time it is not); other characters do nothing.
    void handleKey(uint16_t character);

    const tarvo::Polygon3d& getPolygon() const { return polygon; }
    const Viewport& getViewport() const { return viewport; }
    const Matrix34& getSmallCubeMatrix() const { return smallCube; }
    const Matrix34& getLargeCubeMatrix() const { return largeCube; }
    const SpinState& getSmallSpin() const { return smallSpin; }
    const SpinState& getLargeSpin() const { return largeSpin; }

private:
    void rebuildCubeMatrices();
    void drawFace(tarvo::Surface& target, tarvo::Vertex3d* cube, const uint8_t* face);

    std::vector<float> depthValues;
    tarvo::DepthBuffer depthBuffer;
    Viewport viewport;
    Matrix34 camera;
    Matrix34 smallCube;
    Matrix34 largeCube;
    SpinState smallSpin;
    SpinState largeSpin;
    tarvo::Vertex3d smallModel[8];
    tarvo::Vertex3d largeModel[8];
    // Per-frame screen-space copies of the models, and the corners of the face being drawn.
    tarvo::Vertex3d smallWork[8];
    tarvo::Vertex3d largeWork[8];
    tarvo::Vertex3d* faceCorners[4] = {};
    tarvo::Polygon3d polygon;
    tarvo::Surface firstTexture;
    tarvo::Surface secondTexture;
    bool translucent = false;
    bool secondTextureShown = false;
    bool secondTextureWarned = false; // the unusable second texture is reported once
    int typeCounter = 0;
};

// The demo's one polygon stage, on gScreen. Set-up and reset run once, when the demo's assets
// are first loaded; the others, and the accessor, need them to have run.
const PolygonStage& polygonStage();
void setupPolygonStage();
void resetPolygonStage(); // seeded with the run's seed
void updatePolygonStage();
void drawPolygonStage();
void handlePolygonStageKey(uint16_t character);

} // namespace morwenfall
