// The vector paths' row drawers: up to eight rows of one polygon section at once, one row per
// lane. The float running values (1/z, u/z, v/z) must add up pixel after pixel exactly as the
// scalar drawers add them, so lanes carry rows, never neighbouring pixels of one row.
#pragma once

#include "render3d/polygon.h"

// Draws rows spans, each as its scalar drawer would; count > 0 in every span, and all of them
// from one section, so they share the span constants.
using RowsDrawer = void (*)(const ScanlineSpan* spans, int rows);
const int kMaxRows = 8;

// A vector path: how many rows it draws at once, and its row drawers in the order of polygon.h.
struct RowsPath {
    int lanes;
    const RowsDrawer* drawers;
};
extern const RowsPath kSse2Rows;
extern const RowsPath kAvx2Rows;
