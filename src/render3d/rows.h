// The vector paths: a polygon section walked and drawn up to eight rows at once, one row per
// lane. The float running values (1/z, u/z, v/z, and the edges' own) must add up exactly as the
// scalar pipeline adds them, so lanes carry rows, never neighbouring pixels of one row.
#pragma once

#include "tarvo/render3d/polygon.h"
#include "tarvo/render3d/renderpath.h"

#include <cstdint>

namespace tarvo
{

const int kMaxRows = 8;

// Up to kMaxRows consecutive rows of one section: row k in element k of every array. A row is
// drawn from column xl for count pixels; a row with count <= 0 draws nothing.
struct RowLanes {
    alignas(32) float invZ[kMaxRows];
    alignas(32) float invZStep[kMaxRows];
    alignas(32) float uOverZ[kMaxRows];
    alignas(32) float uOverZStep[kMaxRows];
    alignas(32) float vOverZ[kMaxRows];
    alignas(32) float vOverZStep[kMaxRows];
    alignas(32) int32_t xl[kMaxRows];
    alignas(32) int32_t count[kMaxRows];
    // 16.16 copies, wrapping: colour for shaded types, u and v for constant-depth rows.
    alignas(32) uint32_t rFixed[kMaxRows];
    alignas(32) uint32_t gFixed[kMaxRows];
    alignas(32) uint32_t bFixed[kMaxRows];
    alignas(32) uint32_t rStepFixed[kMaxRows];
    alignas(32) uint32_t gStepFixed[kMaxRows];
    alignas(32) uint32_t bStepFixed[kMaxRows];
    alignas(32) uint32_t uFixed[kMaxRows];
    alignas(32) uint32_t vFixed[kMaxRows];
    alignas(32) uint32_t uStepFixed[kMaxRows];
    alignas(32) uint32_t vStepFixed[kMaxRows];
    uint32_t* dest[kMaxRows];
    float* depth[kMaxRows];
};

// A section's two edges (0 left, 1 right) while a vector path walks them: each edge's running
// values side by side and their steps per row. Values a polygon type does not use are 0.
struct EdgeLanes {
    enum { kX, kInvZ, kU, kV, kR, kG, kB, kValues = 8 };
    alignas(32) float value[2][kValues];
    alignas(32) float step[2][kValues];
};

// Sets up the next rows (1 to the path's lanes) of a section as the scalar edge walk does for a
// polygon of type with its default interpolation flags, and steps both edges past them.
// Returns a bit per row with pixels to draw; affine gets a bit per row of constant depth.
using RowsSetUp = uint32_t (*)(EdgeLanes& edges, int rows, int32_t targetWidth, RowLanes& out,
                               uint32_t& affine);

// Draws the rows of one section as their scalar drawer would. section holds the span
// constants (polygon, masks, shifts, flat colour, texels).
using RowsDrawer = void (*)(const RowLanes& rows, const ScanlineSpan& section);

// A vector path: how many rows it walks at once, its set-up per polygon type, and its row
// drawers in the order of kDrawers (drawers.h).
struct RowsPath {
    int lanes;
    const RowsSetUp* setUps;
    const RowsDrawer* drawers;
};
extern const RowsPath kSse2Rows;
extern const RowsPath kAvx2Rows;

// The vector path that draws for path; null for the scalar pipeline.
const RowsPath* rowsPathFor(RenderPath path);

} // namespace tarvo
