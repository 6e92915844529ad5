// The tile stage: the camera's tour of the first layer, tick by tick, and the frame it draws.
#include "demo/demo.h"
#include "demo/tilestage.h"
#include "tiles/gamedir.h"
#include "tiles/level.h"
#include "tiles/pixels.h"
#include "video/font.h"

#include <gtest/gtest.h>
#include <string>
#include <tuple>
#include <vector>

namespace
{

// (tick counted from 1 on which the state changed, new state, cameraX, cameraY)
using Transition = std::tuple<int, int, int, int>;

// Runs the tour and records every state change; between changes the camera may move by at
// most one pixel per axis and tick.
std::vector<Transition> tour(int width, int height, int ticks)
{
    TileCamera camera;
    std::vector<Transition> changes;
    for (int tick = 1; tick <= ticks; ++tick) {
        const TileCamera before = camera;
        camera.step(width, height);
        if (camera.state != before.state) {
            changes.emplace_back(tick, camera.state, camera.cameraX, camera.cameraY);
        } else {
            EXPECT_LE(std::abs(camera.cameraX - before.cameraX), 1) << "tick " << tick;
            EXPECT_LE(std::abs(camera.cameraY - before.cameraY), 1) << "tick " << tick;
        }
    }
    return changes;
}

TEST(TileCameraTest, ToursTheEdgesThenTheDiagonal)
{
    struct Case {
        const char* name;
        int width;
        int height;
        int ticks;
        std::vector<Transition> expected;
    };
    const Case cases[] = {
        // 100 x 20 tiles: a 61-tick wait, 2056 ticks right to 2080, 216 down to 240, back
        // left and up, 216 diagonal ticks to (240, 240) and 216 back.
        {"100 x 20 tiles",
         2400,
         480,
         5098,
         {{61, 1, 24, 24},
          {2117, 2, 2080, 24},
          {2333, 3, 2080, 240},
          {4389, 4, 24, 240},
          {4605, 5, 24, 24},
          {4821, 6, 240, 240},
          {5037, 0, 24, 24},
          {5098, 1, 24, 24}}},
        // The diagonal meets the right edge first at x = 160, with y still 160.
        {"wide diagonal stops at the right edge",
         480,
         960,
         61 + 136 + 696 + 136 + 696 + 136 + 136,
         {{61, 1, 24, 24},
          {197, 2, 160, 24},
          {893, 3, 160, 720},
          {1029, 4, 24, 720},
          {1725, 5, 24, 24},
          {1861, 6, 160, 160},
          {1997, 0, 24, 24}}},
        // 344 pixels: W - 320 = 24, so each edge state ends on its first tick.
        {"344 pixels wide",
         344,
         480,
         497,
         {{61, 1, 24, 24},
          {62, 2, 24, 24},
          {278, 3, 24, 240},
          {279, 4, 24, 240},
          {495, 5, 24, 24},
          {496, 6, 24, 25},
          {497, 0, 24, 24}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(tour(c.width, c.height, c.ticks), c.expected);
    }
}

// A glyph sheet whose every cell is solid in a colour that encodes its character, so the
// text on screen can be read back from the pixels.
void writeCodedSheet(const GameDir& game)
{
    SDL_Surface* sheet = SDL_CreateRGBSurface(0, 128, 112, 32, 0xFF0000, 0xFF00, 0xFF, 0);
    for (int code = 32; code < 256; ++code) {
        SDL_Rect cell = {static_cast<Sint16>(code % 16 * 8),
                         static_cast<Sint16>((code - 32) / 16 * 8), 8, 8};
        SDL_FillRect(sheet, &cell, static_cast<uint32_t>(code) << 16 | 0x8040);
    }
    SDL_SaveBMP(sheet, (game.root + "/sheet.bmp").c_str());
    SDL_FreeSurface(sheet);
}

std::string readText(const Surface& screen, int y)
{
    std::string text;
    for (int x = 4; x < screen.getWidth(); x += 8) {
        const uint32_t pixel = pixelAt(screen, x, y);
        if ((pixel & 0xFFFF) != 0x8040) {
            break;
        }
        text += static_cast<char>(pixel >> 16);
    }
    return text;
}

TEST(TileStageTest, FollowsTheLevelAndShowsTheCameraPosition)
{
    GameDir game;
    writeCodedSheet(game);
    BitmapFont font("sheet.bmp", 8, 8);
    gDemoFont = &font;
    Surface screen;
    makeTarget(screen, 320, 240);
    gScreen = &screen;

    // A 336 x 480 level with one tile at column 1, row 10 (level pixels 24..47, 240..263).
    TileMap level;
    auto tile = std::make_unique<Surface>();
    makeTarget(*tile, 24, 24);
    tile->fillRect(nullptr, 0x22AA22);
    level.tileSet.addTile(std::move(tile));
    level.layers[0] = std::make_unique<TileLayer>(14, 20, 24, 24);
    level.layers[0]->setCell(0, 1, 10);
    level.layers[1] = std::make_unique<TileLayer>(0, 0, 24, 24);
    level.layers[2] = std::make_unique<TileLayer>(0, 0, 24, 24);
    gLevel = &level;
    bindLayerViews();
    gTileCamera = TileCamera();

    drawTileStage();
    EXPECT_EQ(readText(screen, 4), "Camera pos: 24, 24");
    EXPECT_EQ(pixelAt(screen, 0, 216), 0x22AA22u);
    EXPECT_EQ(pixelAt(screen, 23, 239), 0x22AA22u);
    EXPECT_EQ(pixelAt(screen, 24, 216), 0u);

    // 62 ticks: the wait, then the right edge at 336 - 320 = 16 on the first step. 216 more
    // reach the bottom edge, 480 - 240.
    for (int tick = 0; tick < 62 + 216; ++tick) {
        updateTileStage();
    }
    EXPECT_EQ(gTileCamera.state, 3);
    screen.clear();
    drawTileStage();
    EXPECT_EQ(readText(screen, 4), "Camera pos: 16, 240");
    // The tile now starts at screen (8, 0), below the text's eight rows.
    EXPECT_EQ(pixelAt(screen, 8, 12), 0x22AA22u);
    EXPECT_EQ(pixelAt(screen, 31, 23), 0x22AA22u);
    EXPECT_EQ(pixelAt(screen, 7, 12), 0u);
    EXPECT_EQ(pixelAt(screen, 10, 24), 0u);

    gLevel = nullptr;
    gScreen = nullptr;
    gDemoFont = nullptr;
}

} // namespace
