// TileLayerView: blits only the tiles that touch the target, one row of tiles at a time.
#include "tarvo/tiles/tilelayerview.h"

#include "tarvo/tiles/tilelayer.h"
#include "tarvo/tiles/tileset.h"
#include "tarvo/video/surface.h"

namespace tarvo
{

void TileLayerView::draw(Surface& target)
{
    if (!tileSet || !layer || !target.getSdlSurface()) {
        return;
    }
    const int32_t tileWidth = layer->tileWidth;
    const int32_t tileHeight = layer->tileHeight;
    if (tileWidth <= 0 || tileHeight <= 0) {
        return;
    }
    // C division truncates toward zero, so a negative camera starts at column 0 shifted right
    // (camera -5 puts column 0 at x = 5) rather than flooring to column -1.
    const int32_t startCol = cameraX / tileWidth;
    const int32_t startRow = cameraY / tileHeight;
    const int32_t x0 = -(cameraX % tileWidth);
    const int32_t width = target.getWidth();
    const int32_t height = target.getHeight();
    const auto shown = [this](int32_t tile) {
        const bool mapped =
            shownTiles && tile >= 0 && static_cast<size_t>(tile) < shownTiles->size();
        return mapped ? (*shownTiles)[static_cast<size_t>(tile)] : tile;
    };

    int32_t row = startRow;
    for (int32_t y = -(cameraY % tileHeight); y < height; y += tileHeight, ++row) {
        if (x0 >= width) {
            continue;
        }
        int32_t col = startCol;
        for (int32_t x = x0; x < width; x += tileWidth, ++col) {
            const Surface* tile = tileSet->getTile(shown(layer->cellAt(col, row)));
            if (!tile || !tile->getSdlSurface()) {
                continue;
            }
            SDL_Rect to = {static_cast<Sint16>(x), static_cast<Sint16>(y),
                           static_cast<Uint16>(tile->getWidth()),
                           static_cast<Uint16>(tile->getHeight())};
            tile->blitTo(target, nullptr, &to);
        }
    }
}

} // namespace tarvo
