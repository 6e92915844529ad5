// Tile layer drawing: every screen pixel must show the tile under level pixel
// (x + cameraX, y + cameraY), found here by floor division, or nothing.
#include "pixels.h"
#include "tiles/tilelayer.h"
#include "tiles/tilelayerview.h"
#include "tiles/tileset.h"

#include <gtest/gtest.h>
#include <memory>

namespace
{

constexpr int kTiles = 20;

uint32_t colorOf(int n)
{
    return 0x010000u * static_cast<uint32_t>(10 + n * 10) + 0x40u;
}

// Tile n is one solid colour; cells cycle through more numbers than the set holds, so some
// cells name tiles that do not exist.
void makeLevel(TileSet& tiles, TileLayer& layer)
{
    for (int n = 0; n < kTiles; ++n) {
        auto tile = std::make_unique<Surface>();
        makeTarget(*tile, 24, 24);
        tile->fillRect(nullptr, colorOf(n));
        tiles.addTile(std::move(tile));
    }
    for (int row = 0; row < layer.rows; ++row) {
        for (int col = 0; col < layer.cols; ++col) {
            layer.setCell((col * 7 + row * 3) % (kTiles + 5), col, row);
        }
    }
}

int floorDiv(int a, int b)
{
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

TEST(TileLayerViewTest, EveryPixelShowsTheTileUnderIt)
{
    TileSet tiles;
    TileLayer layer(30, 20, 24, 24);
    makeLevel(tiles, layer);
    TileLayerView view;
    view.tileSet = &tiles;
    view.layer = &layer;
    const int cameras[][2] = {
        {30, 50},                            // column 1 at x = -6, row 2 at y = -2
        {24, 24},                            // column 0 and row 0 just off-screen
        {-5, -5},                            // truncation: column 0 at x = 5
        {-30, 7},                            // column -1 (empty) at x = 6
        {0, 0},       {23, 1},   {400, 250}, // near the far corner: the layer ends on screen
        {-400, -300}, {1000, 0},             // wholly off the layer
    };
    for (const auto& camera : cameras) {
        SCOPED_TRACE(testing::Message() << "camera " << camera[0] << ", " << camera[1]);
        Surface target;
        makeTarget(target, 320, 240);
        view.cameraX = camera[0];
        view.cameraY = camera[1];
        view.draw(target);
        int wrong = 0;
        for (int y = 0; y < 240; ++y) {
            for (int x = 0; x < 320; ++x) {
                const int col = floorDiv(x + camera[0], 24);
                const int row = floorDiv(y + camera[1], 24);
                const int n = layer.cellAt(col, row);
                const uint32_t expected = n >= 0 && n < kTiles ? colorOf(n) : 0;
                if (pixelAt(target, x, y) != expected && ++wrong <= 3) {
                    ADD_FAILURE() << "pixel " << x << ", " << y << " is " << std::hex
                                  << pixelAt(target, x, y) << ", expected " << expected;
                }
            }
        }
    }
}

} // namespace
