// The records the rasteriser hands from edge walk to row set-up to drawers, shared by the scalar
// pipeline and the vector paths' driver and row loops.
#pragma once

#include "tarvo/render3d/polygon.h"

#include <cstdint>

namespace tarvo
{

// Types and internal-linkage helpers only, no function bodies of external linkage: the AVX2 unit
// compiles this header too, and an inline definition built there could be the one the linker
// keeps for every caller, on processors without AVX2.

// Attribute values and their steps, per row on an edge or per pixel on a span.
struct Interpolants {
    float uOverZ = 0, vOverZ = 0;
    float uOverZStep = 0, vOverZStep = 0;
    float invZ = 0;
    float invZStep = 0;
    float r = 0, g = 0, b = 0;
    float rStep = 0, gStep = 0, bStep = 0;

    // Moves the attributes selected by flags n steps on (colour first, then depth and u/v).
    void advance(int n, uint32_t flags);
};

// One edge while a polygon is drawn; the non-empty edges form a ring in vertex order.
struct PolygonEdge {
    int32_t yTop = 0;
    int32_t yBottom = 0; // inclusive
    float x = 0;
    float xStep = 0; // dx/dy
    PolygonEdge* next = nullptr;
    PolygonEdge* prev = nullptr;
    Interpolants attrs;
};

// Everything one scanline drawer needs for one run of pixels.
struct ScanlineSpan {
    Interpolants attrs; // at the first pixel, steps per pixel
    const Polygon3d* poly = nullptr;
    float* depth = nullptr;
    int32_t count = 0;
    uint32_t flatColor = 0;
    uint32_t* dest = nullptr;
    const uint32_t* texels = nullptr;
    uint32_t rbMask = 0;
    uint32_t gMask = 0;
    uint32_t alphaMask = 0;
    uint32_t rShift = 0, gShift = 0, bShift = 0;
    uint32_t alphaShift = 0;
    int32_t rFixed = 0, gFixed = 0, bFixed = 0;                     // 16.16
    int32_t rStepFixed = 0, gStepFixed = 0, bStepFixed = 0;         // 16.16
    int32_t uFixed = 0, vFixed = 0, uStepFixed = 0, vStepFixed = 0; // 16.16, affine spans only
};

// Where a section drew, for the depth buffer's drawn rectangle, and whether it locked.
struct DrawnRows {
    bool locked = false;
    int32_t left = INT32_MAX, right = INT32_MIN, top = INT32_MAX, bottom = INT32_MIN;
};

namespace
{

// Rows and columns beyond this are far outside any surface; clamping there keeps every later
// integer step (negation, count = xr - xl) free of overflow for absurd or NaN coordinates.
constexpr int32_t kCoordinateLimit = 1 << 29;

// Columns xl to xr (excluded) of row y were drawn.
inline void addDrawnRow(DrawnRows& drawn, int32_t xl, int32_t xr, int32_t y)
{
    drawn.left = xl < drawn.left ? xl : drawn.left;
    drawn.right = xr > drawn.right ? xr : drawn.right;
    drawn.top = y < drawn.top ? y : drawn.top;
    drawn.bottom = y + 1 > drawn.bottom ? y + 1 : drawn.bottom;
}

} // namespace

} // namespace tarvo
