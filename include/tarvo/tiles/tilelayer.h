/// @file
/// TileLayer: one grid of tile numbers; -1 (or any number the tile set lacks) is no tile.
#pragma once

#include "tarvo/api.h"

#include <cstdint>
#include <vector>

namespace tarvo
{

/// A fixed-size grid of tile numbers, indices into a TileSet.
class TARVO_API TileLayer
{
public:
    /// Every cell starts as -1. Negative sizes make an empty grid.
    TileLayer(int32_t cols, int32_t rows, int32_t tileWidth, int32_t tileHeight);

    /// -1 outside the grid, so a camera past the edge simply finds no tiles.
    int32_t cellAt(int32_t col, int32_t row) const;
    /// Writes outside the grid are ignored.
    void setCell(int32_t value, int32_t col, int32_t row);

    const int32_t cols;        ///< Columns of cells.
    const int32_t rows;        ///< Rows of cells.
    const int32_t pixelWidth;  ///< cols * tileWidth.
    const int32_t pixelHeight; ///< rows * tileHeight.
    const int32_t tileWidth;   ///< A cell's width in pixels.
    const int32_t tileHeight;  ///< A cell's height in pixels.

private:
    std::vector<int32_t> cells; // row-major: col + row * cols
};

} // namespace tarvo
