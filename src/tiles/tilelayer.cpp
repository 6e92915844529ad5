// TileLayer: a bounds-checked grid of tile numbers.
#include "tarvo/tiles/tilelayer.h"

#include <cstddef>

namespace tarvo
{

namespace
{

std::size_t cellCount(int32_t cols, int32_t rows)
{
    if (cols <= 0 || rows <= 0) {
        return 0;
    }
    return static_cast<std::size_t>(cols) * static_cast<std::size_t>(rows);
}

} // namespace

TileLayer::TileLayer(int32_t cols, int32_t rows, int32_t tileWidth, int32_t tileHeight)
    : cols(cols), rows(rows), pixelWidth(cols * tileWidth), pixelHeight(rows * tileHeight),
      tileWidth(tileWidth), tileHeight(tileHeight), cells(cellCount(cols, rows), -1)
{
}

int32_t TileLayer::cellAt(int32_t col, int32_t row) const
{
    if (col < 0 || col >= cols || row < 0 || row >= rows) {
        return -1;
    }
    return cells[static_cast<std::size_t>(col) +
                 static_cast<std::size_t>(row) * static_cast<std::size_t>(cols)];
}

void TileLayer::setCell(int32_t value, int32_t col, int32_t row)
{
    if (col < 0 || col >= cols || row < 0 || row >= rows) {
        return;
    }
    cells[static_cast<std::size_t>(col) +
          static_cast<std::size_t>(row) * static_cast<std::size_t>(cols)] = value;
}

} // namespace tarvo
