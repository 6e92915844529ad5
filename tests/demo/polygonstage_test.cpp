// The polygon stage on a 320 x 240 screen with two small textures. The pixels checked lie on
// row 120, the cubes' centre row, seen from the camera at (96, 96, 0):
//   (190, 120) sees only the small cube: its +x face in front, its -x face behind;
//   (100, 120) sees only the large cube: its +x face in front, its -y face behind;
//   (160, 120) looks through large +y, small +x, small -y, large -x, nearest first.
#include "demo/polygonstage.h"
#include "support/capturedlog.h"
#include "support/gamedir.h"

#include <SDL.h>
#include <cstdio>
#include <gtest/gtest.h>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

using namespace morwenfall;
using namespace tarvo;

namespace
{

const uint32_t kFirstTexel = 0xFF3366CC;
// The second texture by quadrant, [v >= 16][u >= 16], so that pixels tell where it was sampled.
const uint32_t kSecondQuadrants[2][2] = {{0xFF884422, 0xFF228844}, {0xFF442288, 0xFF888888}};

struct Pixel {
    int x, y;
};
const Pixel kSmallOnly = {190, 120}, kLargeOnly = {100, 120}, kBoth = {160, 120};

// A 32 x 32 image of four 16 x 16 quadrants; the loader goes by content, so a BMP will do.
void writeImage(const std::string& path, const uint32_t (&quadrants)[2][2])
{
    SDL_Surface* image = SDL_CreateRGBSurface(SDL_SWSURFACE, 32, 32, 24, 0xFF0000, 0xFF00, 0xFF, 0);
    for (int16_t i = 0; i < 4; ++i) {
        SDL_Rect quadrant = {int16_t(16 * (i % 2)), int16_t(16 * (i / 2)), 16, 16};
        SDL_FillRect(image, &quadrant, quadrants[i / 2][i % 2] & 0xFFFFFF);
    }
    SDL_SaveBMP(image, path.c_str());
    SDL_FreeSurface(image);
}

struct ScreenAndData : testing::Environment {
    void SetUp() override
    {
        ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
        gScreen = new Surface;
        ASSERT_TRUE(gScreen->setVideoMode(320, 240, 32, 0)) << SDL_GetError();
        data = std::make_unique<GameDir>();
        writeImage(data->file("demo1/test.png"),
                   {{kFirstTexel, kFirstTexel}, {kFirstTexel, kFirstTexel}});
        writeImage(data->file("demo1/testa.png"), kSecondQuadrants);
    }
    void TearDown() override
    {
        data.reset();
        delete gScreen;
        SDL_Quit();
    }
    std::unique_ptr<GameDir> data;
};

testing::Environment* const kScreenAndData = testing::AddGlobalTestEnvironment(new ScreenAndData);

void pressKeys(PolygonStage& stage, const char* keys)
{
    for (const char* key = keys; *key; ++key) {
        stage.handleKey(static_cast<uint16_t>(*key));
    }
}

class PolygonStageTest : public testing::Test
{
protected:
    void SetUp() override { stage.setSpin(SpinState(), SpinState()); } // rates 0: cubes still

    // The screen is in memory and 320 pixels wide: no lock, no padding.
    static const uint32_t* screen()
    {
        return static_cast<uint32_t*>(gScreen->getSdlSurface()->pixels);
    }
    static std::vector<uint32_t> screenPixels() { return {screen(), screen() + 320 * 240}; }
    static size_t distinct() { return std::set<uint32_t>(screen(), screen() + 320 * 240).size(); }
    static uint32_t pixelAt(const Pixel& p) { return screen()[p.y * 320 + p.x]; }

    // Presses the keys, then draws a frame on a cleared screen.
    void show(const char* keys = "")
    {
        pressKeys(stage, keys);
        gScreen->clear();
        stage.draw(*gScreen);
    }

    CapturedLog log;
    PolygonStage stage{*gScreen};
};

// Each row turns the small cube in 32 ticks to show another face at +x (none: the face at
// rest); the large cube turns 2 steps a tick about c, bringing its +y face (first corner 1)
// round to +x.
TEST_F(PolygonStageTest, FlatFaceTakesItsFirstCornersColour)
{
    struct Row {
        float b, c; // the small cube's rates
        const char* face;
        uint32_t expected;
    };
    const Row rows[] = {{0, 0, "2 3 7 6", 0xFF0000A0},  {2, 0, "2 1 0 3", 0xFF0000A0},
                        {-2, 0, "4 5 6 7", 0xFF0000E0}, {4, 0, "0 1 5 4", 0xFF000020},
                        {0, 2, "1 2 6 5", 0xFF000060},  {0, -2, "4 7 3 0", 0xFF0000E0}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.face);
        stage.setSpin(SpinState{{}, {0, row.b, row.c}}, SpinState{{}, {0, 0, 2}});
        for (int tick = 0; tick < 32; ++tick) {
            stage.update();
        }
        show();
        EXPECT_EQ(pixelAt(kSmallOnly), row.expected);
        EXPECT_EQ(pixelAt(kLargeOnly), 0xFF006000u);
    }
}

TEST_F(PolygonStageTest, TypeKeyStepsThroughTheFourTypesAndBack)
{
    show(); // flat
    const std::vector<uint32_t> flat = screenPixels();
    const size_t flatColours = distinct();
    EXPECT_LE(flatColours, 13u); // at most twelve faces, and black
    show("r");                   // Gouraud: each face spreads over many blues or greens
    EXPECT_GT(distinct(), 4 * flatColours);
    EXPECT_EQ(pixelAt(kSmallOnly) & 0xFFFFFF00u, 0xFF000000u);
    EXPECT_EQ(pixelAt(kLargeOnly) & 0xFFFF00FFu, 0xFF000000u);
    show("r");
    EXPECT_EQ(pixelAt(kSmallOnly), kFirstTexel);
    show("r"); // each texel channel averaged with red on the small cube, grey on the large

    const uint32_t halfTexel = (kFirstTexel >> 1) & 0x7F7F7F;
    EXPECT_EQ(pixelAt(kSmallOnly) & 0xFFFF, halfTexel & 0xFFFF);
    for (int shift : {0, 8, 16}) {
        EXPECT_GT((pixelAt(kLargeOnly) >> shift) & 0xFF, (halfTexel >> shift) & 0xFF) << shift;
    }
    EXPECT_GT((pixelAt(kSmallOnly) >> 16) & 0xFF, halfTexel >> 16);
    show("r");
    EXPECT_TRUE(screenPixels() == flat) << "four presses of r";
}

TEST_F(PolygonStageTest, TranslucentFacesAllDrawAndBlendEvenlyBehindTheDepthTest)
{
    show("e");
    // Weight 128: each face takes half of the pixel; bits outside the colour masks end up 0.
    // Small -x (blue 0x20) over black gives 0x10, then small +x (0xA0) gives 0x58.
    EXPECT_EQ(pixelAt(kSmallOnly), 0x00000058u);
    // Large +x (green 0xA0) over black; the large -y face drawn after it lies behind it.
    EXPECT_EQ(pixelAt(kLargeOnly), 0x00005000u);
    // Large -x (green 0x20) gives green 0x10; small +x (blue 0xA0) gives green 0x08, blue 0x50;
    // small -y lies behind and is rejected; large +y (green 0x60) gives green 0x34, blue 0x28.
    EXPECT_EQ(pixelAt(kBoth), 0x00003428u);
}

TEST_F(PolygonStageTest, TextureKeySwapsTextureAndSetsItsOwnAlpha)
{
    // The small cube's +x face has (u, v) = (0, 0) at its near bottom corner (196, 161) and
    // (32, 32) at its far top corner (144, 90); the blending drawer leaves alpha 0.
    show("rrt");
    EXPECT_EQ(pixelAt({190, 100}), kSecondQuadrants[1][0] & 0xFFFFFF); // u 3, v 24
    EXPECT_EQ(pixelAt({150, 140}), kSecondQuadrants[0][1] & 0xFFFFFF); // u 27, v 6

    // e and t each write alpha from their own flag.
    const std::pair<const char*, int> rows[] = {{"t", 255}, {"tt", 0},  {"e", 127}, {"et", 255},
                                                {"ete", 0}, {"ett", 0}, {"E", 0},   {"eR", 127}};
    for (const auto& [keys, alpha] : rows) {
        SCOPED_TRACE(keys);
        PolygonStage fresh(*gScreen);
        pressKeys(fresh, keys);
        EXPECT_EQ(fresh.getPolygon().alpha, alpha);
        EXPECT_EQ(fresh.getPolygon().type, PFLAT);
    }
}

// Moved back 2^20 steps on reaching that size either way, wherever the sum lands.
TEST_F(PolygonStageTest, AnglesMoveBackAWholeNumberOfTurnsAtTwoToTheTwenty)
{
    const float rows[][3] = {{1048574, 2, 0}, {-1048574, -2, 0}, {1048575, 0.875f, 1048575.875f}};
    for (const auto& [angle, rate, after] : rows) {
        stage.setSpin({{angle, angle, angle}, {rate, rate, rate}}, SpinState());
        stage.update();
        EXPECT_EQ(stage.getSmallSpin().angles[2], after) << angle;
    }
}

// Last, as it removes the second texture; t may be pressed any number of times.
TEST_F(PolygonStageTest, TextureKeyWithoutTheSecondTextureChangesNothingAndWarnsOnce)
{
    std::remove(static_cast<ScreenAndData*>(kScreenAndData)->data->file("demo1/testa.png").c_str());
    PolygonStage bare(*gScreen);
    const std::string loaded = log.text();
    pressKeys(bare, "ettt");
    EXPECT_EQ(bare.getPolygon().alpha, 127);
    EXPECT_EQ(log.text(),
              loaded + "Warning: demo1/testa.png is not a usable texture; t does nothing\n");
}

} // namespace
