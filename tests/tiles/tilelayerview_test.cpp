// Tile layer drawing: every screen pixel shows the tile under level pixel
// (x + cameraX, y + cameraY), found here by floor division, or nothing.
#include "pixels.h"
#include "tarvo/tiles/tilelayer.h"
#include "tarvo/tiles/tilelayerview.h"
#include "tarvo/tiles/tileset.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace tarvo;

namespace
{

TEST(TileLayerViewTest, EveryPixelShowsTheTileUnderIt)
{
    constexpr int kTiles = 20;
    const auto colorOf = [](int n) { return 0x0A0040u + 0x0A0000u * static_cast<uint32_t>(n); };
    TileSet tiles;
    for (int n = 0; n < kTiles; ++n) {
        tiles.addTile(std::make_unique<Surface>());
        tiles.getTile(n)->create(argbFormat(24, 24));
        tiles.getTile(n)->fillRect(nullptr, colorOf(n));
    }
    // Cells cycle through more numbers than the set holds: those past its end draw nothing.
    TileLayer layer(30, 20, 24, 24);
    for (int row = 0; row < layer.rows; ++row) {
        for (int col = 0; col < layer.cols; ++col) {
            layer.setCell((col * 7 + row * 3) % (kTiles + 5), col, row);
        }
    }
    TileLayerView view;
    view.tileSet = &tiles;
    view.layer = &layer;
    // (30, 50): column 1 at x = -6, row 2 at y = -2. (-5, -5): column 0 at x = 5, not 0.
    const int cameras[][2] = {{30, 50}, {24, 24}, {-5, -5}, {-30, 7}, {400, 250}, {1000, 0}};
    for (const auto& [cameraX, cameraY] : cameras) {
        Surface target;
        target.create(argbFormat(320, 240));
        view.cameraX = cameraX;
        view.cameraY = cameraY;
        view.draw(target);
        std::string wrong;
        for (int y = 0; y < 240; ++y) {
            for (int x = 0; x < 320; ++x) {
                const int n = layer.cellAt(static_cast<int>(std::floor((x + cameraX) / 24.0)),
                                           static_cast<int>(std::floor((y + cameraY) / 24.0)));
                const uint32_t expected = n >= 0 && n < kTiles ? colorOf(n) : 0;
                if (pixelAt(target, x, y) != expected && wrong.empty()) {
                    wrong = std::to_string(x) + ", " + std::to_string(y);
                }
            }
        }
        EXPECT_EQ(wrong, "") << "first wrong pixel, camera " << cameraX << ", " << cameraY;
    }
}

} // namespace
