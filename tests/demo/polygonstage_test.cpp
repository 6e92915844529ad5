// The polygon stage drawn on a 320 x 240 screen with two small textures from a temporary game
// directory. The pixels checked lie on row 120, the cubes' centre row, where the faces in
// view are worked out by hand from the camera at (96, 96, 0) looking at the origin:
//   (190, 120) sees only the small cube: its +x face in front, its -x face behind;
//   (100, 120) sees only the large cube: its +x face in front, its -y face behind;
//   (160, 120) looks through large +y, small +x, small -y, large -x, nearest first.
#include "core/exception.h"
#include "demo/polygonstage.h"
#include "support/capturedlog.h"

#include <SDL.h>
#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>
#include <physfs.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace
{

const uint32_t kFirstTexel = 0xFF3366CC;
// The second texture by quadrant, [v >= 16][u >= 16], so that pixels tell where it was sampled.
const uint32_t kSecondQuadrants[2][2] = {{0xFF884422, 0xFF228844}, {0xFF442288, 0xFF888888}};

struct Pixel {
    int x, y;
};
const Pixel kSmallOnly = {190, 120};
const Pixel kLargeOnly = {100, 120};
const Pixel kBoth = {160, 120};

std::string gDataDir;

std::string texturePath(const char* name)
{
    return gDataDir + "/demo1/" + name;
}

// A 32 x 32 image of four 16 x 16 quadrants, [top or bottom][left or right]; SDL_image goes by
// content, so a BMP serves under a .png name.
void writeImage(const std::string& path, const uint32_t (&quadrants)[2][2])
{
    SDL_Surface* image =
        SDL_CreateRGBSurface(SDL_SWSURFACE, 32, 32, 24, 0xFF0000, 0x00FF00, 0x0000FF, 0);
    for (int16_t row = 0; row < 2; ++row) {
        for (int16_t column = 0; column < 2; ++column) {
            SDL_Rect quadrant = {static_cast<int16_t>(16 * column), static_cast<int16_t>(16 * row),
                                 16, 16};
            SDL_FillRect(image, &quadrant, quadrants[row][column] & 0xFFFFFF);
        }
    }
    SDL_SaveBMP(image, path.c_str());
    SDL_FreeSurface(image);
}

class ScreenAndData : public testing::Environment
{
public:
    void SetUp() override
    {
        ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
        gScreen = new Surface;
        ASSERT_TRUE(gScreen->setVideoMode(320, 240, 32, 0)) << SDL_GetError();

        char dir[] = "/tmp/tarvo-pstage-XXXXXX";
        ASSERT_NE(mkdtemp(dir), nullptr);
        gDataDir = dir;
        ASSERT_EQ(mkdir((gDataDir + "/demo1").c_str(), 0700), 0);
        const uint32_t solid[2][2] = {{kFirstTexel, kFirstTexel}, {kFirstTexel, kFirstTexel}};
        writeImage(texturePath("test.png"), solid);
        writeImage(texturePath("testa.png"), kSecondQuadrants);
        ASSERT_NE(PHYSFS_init(nullptr), 0);
        ASSERT_NE(PHYSFS_mount(gDataDir.c_str(), nullptr, 1), 0);
    }

    void TearDown() override
    {
        PHYSFS_deinit();
        delete gScreen;
        gScreen = nullptr;
        SDL_Quit();
        std::remove(texturePath("test.png").c_str());
        std::remove(texturePath("testa.png").c_str());
        rmdir((gDataDir + "/demo1").c_str());
        rmdir(gDataDir.c_str());
    }
};

testing::Environment* const kScreenAndData = testing::AddGlobalTestEnvironment(new ScreenAndData);

uint32_t pixelAt(const Pixel& p)
{
    SDL_Surface* screen = gScreen->getSdlSurface();
    gScreen->lock();
    const auto* row = static_cast<const uint8_t*>(screen->pixels) + p.y * screen->pitch;
    const uint32_t value = reinterpret_cast<const uint32_t*>(row)[p.x];
    gScreen->unlock();
    return value;
}

std::vector<uint32_t> screenPixels()
{
    std::vector<uint32_t> pixels;
    for (int y = 0; y < gScreen->getHeight(); ++y) {
        for (int x = 0; x < gScreen->getWidth(); ++x) {
            pixels.push_back(pixelAt({x, y}));
        }
    }
    return pixels;
}

void drawFrame(PolygonStage& stage)
{
    gScreen->clear();
    stage.draw(*gScreen);
}

void pressKeys(PolygonStage& stage, const char* keys)
{
    for (const char* key = keys; *key; ++key) {
        stage.handleKey(static_cast<uint16_t>(*key));
    }
}

uint32_t channelOf(uint32_t pixel, int shift)
{
    return (pixel >> shift) & 0xFF;
}

void expectChannelBetween(uint32_t pixel, int shift, uint32_t lowest, uint32_t highest)
{
    EXPECT_GE(channelOf(pixel, shift), lowest) << "shift " << shift;
    EXPECT_LE(channelOf(pixel, shift), highest) << "shift " << shift;
}

// On the +x faces the red and grey corners are 0xA0 on one side and 0xE0 on the other, and
// the textured shade is the byte mean of that with the texel.
void expectShadedTexel(uint32_t pixel, int shift)
{
    const uint32_t texel = channelOf(kFirstTexel, shift);
    expectChannelBetween(pixel, shift, (texel + 0xA0) >> 1, (texel + 0xE0) >> 1);
}

SpinState stillAt(float a, float b, float c)
{
    SpinState spin;
    spin.angles[0] = a;
    spin.angles[1] = b;
    spin.angles[2] = c;
    return spin;
}

class PolygonStageTest : public testing::Test
{
protected:
    void SetUp() override { stage.setSpin(SpinState(), SpinState()); }

    CapturedLog log;
    PolygonStage stage{*gScreen};
};

} // namespace

TEST_F(PolygonStageTest, CubeCentresProjectEitherSideOfTheScreenCentre)
{
    // Each centre lies 32 / sqrt 2 to the side of the view axis at depth 192 / sqrt 2, a
    // sixth of the half-width of 160 pixels.
    struct Row {
        const char* name;
        const Matrix34& cube;
        float x;
    };
    const Row rows[] = {{"small", stage.getSmallCubeMatrix(), 160.0f + 160.0f / 6.0f},
                        {"large", stage.getLargeCubeMatrix(), 160.0f - 160.0f / 6.0f}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const Vector3 centre = row.cube.transformPoint(0, 0, 0);
        Vertex3d projected;
        projected.x = centre.x;
        projected.y = centre.y;
        projected.z = centre.z;
        projectVertices(stage.getViewport(), &projected, &projected, 1);
        EXPECT_NEAR(projected.x, row.x, 1e-3f);
        EXPECT_NEAR(projected.y, 120.0f, 1e-3f);
        EXPECT_NEAR(projected.z, 96.0f * std::sqrt(2.0f), 1e-3f);
    }
}

TEST_F(PolygonStageTest, StillCubesDrawTheSamePictureEveryFrameUntilTheyTurn)
{
    drawFrame(stage);
    const std::vector<uint32_t> first = screenPixels();
    EXPECT_EQ(pixelAt(kSmallOnly), 0xFF0000A0u);
    EXPECT_EQ(pixelAt(kLargeOnly), 0xFF00A000u);
    EXPECT_EQ(pixelAt(kBoth), 0xFF006000u); // the large cube's +y face, first corner 1
    EXPECT_EQ(pixelAt({5, 5}), 0u);

    for (int tick = 0; tick < 3; ++tick) {
        stage.update();
    }
    drawFrame(stage);
    EXPECT_TRUE(screenPixels() == first) << "the picture changed without any rate";

    // A rate of -2 about b turns the small cube a quarter in 32 ticks, bringing its +z face
    // (first corner 4) round to face +x; c at 2 brings the large cube's +y face (corner 1) there.
    SpinState small;
    small.rates[1] = -2.0f;
    SpinState large;
    large.rates[2] = 2.0f;
    stage.setSpin(small, large);
    for (int tick = 0; tick < 32; ++tick) {
        stage.update();
    }
    drawFrame(stage);
    EXPECT_EQ(pixelAt(kSmallOnly), 0xFF0000E0u);
    EXPECT_EQ(pixelAt(kLargeOnly), 0xFF006000u);
}

TEST_F(PolygonStageTest, FlatFaceTakesItsFirstCornersColour)
{
    // Quarter and half turns bring a different face of the small cube round to face +x.
    struct Row {
        float a, b, c;
        const char* face;
        uint32_t expected;
    };
    const Row rows[] = {
        {0, 0, 0, "2 3 7 6", 0xFF0000A0},   {0, 64, 0, "2 1 0 3", 0xFF0000A0},
        {0, -64, 0, "4 5 6 7", 0xFF0000E0}, {0, 128, 0, "0 1 5 4", 0xFF000020},
        {0, 0, 64, "1 2 6 5", 0xFF000060},  {0, 0, -64, "4 7 3 0", 0xFF0000E0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.face);
        stage.setSpin(stillAt(row.a, row.b, row.c), SpinState());
        drawFrame(stage);
        EXPECT_EQ(pixelAt(kSmallOnly), row.expected);
        EXPECT_EQ(pixelAt(kLargeOnly), 0xFF00A000u);
    }
}

TEST_F(PolygonStageTest, TypeKeyCyclesThroughTheFourTypesAndColourTables)
{
    const uint32_t expectedFlags[4] = {5, 9, 3, 11};
    for (uint32_t press = 1; press <= 4; ++press) {
        SCOPED_TRACE(testing::Message() << press << " presses");
        pressKeys(stage, "r");
        const uint32_t type = press % 4;
        EXPECT_EQ(stage.getPolygon().type, type);
        EXPECT_EQ(stage.getPolygon().interpFlags, expectedFlags[type]);
        drawFrame(stage);
        const uint32_t small = pixelAt(kSmallOnly);
        const uint32_t large = pixelAt(kLargeOnly);
        switch (type) {
        case PGOURAUD:
            // Row 120 lies halfway between the +x faces' bottom corners (0xA0, 0xE0) and top
            // corners (0x60, 0x20), so both edges, and the row between them, shade to 0x80.
            EXPECT_EQ(small & 0xFFFFFF00u, 0xFF000000u);
            expectChannelBetween(small, 0, 0x7F, 0x81);
            EXPECT_EQ(large & 0xFFFF00FFu, 0xFF000000u);
            expectChannelBetween(large, 8, 0x7F, 0x81);
            break;
        case PTEX:
            EXPECT_EQ(small, kFirstTexel);
            EXPECT_EQ(large, kFirstTexel);
            break;
        case PTEXGOURAUD: // texel averaged with red on the small cube, grey on the large
            EXPECT_EQ(channelOf(small, 24), 0xFFu);
            expectShadedTexel(small, 16);
            EXPECT_EQ(channelOf(small, 8), channelOf(kFirstTexel, 8) >> 1);
            EXPECT_EQ(channelOf(small, 0), channelOf(kFirstTexel, 0) >> 1);
            for (int shift = 0; shift <= 16; shift += 8) {
                expectShadedTexel(large, shift);
            }
            break;
        default: // back to flat blue and green
            EXPECT_EQ(small, 0xFF0000A0u);
            EXPECT_EQ(large, 0xFF00A000u);
            break;
        }
    }
}

TEST_F(PolygonStageTest, TranslucentFacesAllDrawAndBlendEvenlyBehindTheDepthTest)
{
    pressKeys(stage, "e");
    drawFrame(stage);
    // Weight 128: each face takes half of the pixel; bits outside the colour masks end up 0.
    // Small -x (blue 0x20) over black gives 0x10, then small +x (0xA0) gives 0x58.
    EXPECT_EQ(pixelAt(kSmallOnly), 0x00000058u);
    // Large +x (green 0xA0) over black; the large -y face drawn after it lies behind it.
    EXPECT_EQ(pixelAt(kLargeOnly), 0x00005000u);
    // Large -x (green 0x20) gives green 0x10; small +x (blue 0xA0) gives green 0x08, blue 0x50;
    // small -y lies behind and is rejected; large +y (green 0x60) gives green 0x34, blue 0x28.
    EXPECT_EQ(pixelAt(kBoth), 0x00003428u);

    pressKeys(stage, "e");
    drawFrame(stage);
    EXPECT_EQ(pixelAt(kSmallOnly), 0xFF0000A0u);
    EXPECT_EQ(pixelAt(kBoth), 0xFF006000u);
}

TEST_F(PolygonStageTest, TextureKeySwapsTextureAndSetsItsOwnAlpha)
{
    pressKeys(stage, "rr");
    drawFrame(stage);
    EXPECT_EQ(pixelAt(kSmallOnly), kFirstTexel);

    // Full polygon weight with opaque texels: the texel's colour, through the blending drawer,
    // which leaves the alpha byte 0. The small cube's +x face has (u, v) = (0, 0) at its
    // near bottom corner (196, 161) and (32, 32) at its far top corner (144, 90).
    pressKeys(stage, "t");
    drawFrame(stage);
    EXPECT_EQ(pixelAt({190, 100}), kSecondQuadrants[1][0] & 0xFFFFFF); // u 3, v 24
    EXPECT_EQ(pixelAt({150, 140}), kSecondQuadrants[0][1] & 0xFFFFFF); // u 27, v 6

    pressKeys(stage, "t");
    drawFrame(stage);
    EXPECT_EQ(pixelAt(kSmallOnly), kFirstTexel);

    // e and t each write alpha from their own flag.
    struct Row {
        const char* keys;
        uint8_t alpha;
    };
    const Row rows[] = {{"e", 127},    {"et", 255}, {"ete", 0}, {"ett", 0}, {"t", 255},
                        {"etee", 127}, {"tt", 0},   {"E", 0},   {"xyz", 0}, {"eR", 127}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.keys);
        PolygonStage fresh(*gScreen);
        pressKeys(fresh, row.keys);
        EXPECT_EQ(fresh.getPolygon().alpha, row.alpha);
        EXPECT_EQ(fresh.getPolygon().type, PFLAT);
    }
}

TEST_F(PolygonStageTest, ResetStartsStillWithRatesFromThe32Steps)
{
    stage.setSpin(stillAt(10, 20, 30), stillAt(40, 50, 60));
    stage.reset();
    for (const SpinState* spin : {&stage.getSmallSpin(), &stage.getLargeSpin()}) {
        for (int k = 0; k < 3; ++k) {
            EXPECT_EQ(spin->angles[k], 0.0f);
            const float eighths = spin->rates[k] * 8.0f;
            EXPECT_GE(eighths, -16.0f);
            EXPECT_LE(eighths, 15.0f);
            EXPECT_EQ(eighths, std::floor(eighths)) << spin->rates[k];
        }
    }
    // Reset also places the cubes, at rest, where the camera expects them.
    drawFrame(stage);
    EXPECT_EQ(pixelAt(kSmallOnly), 0xFF0000A0u);
}

TEST_F(PolygonStageTest, MissingTextureEndsSetUpWithTheRenderersError)
{
    ASSERT_NE(PHYSFS_unmount(gDataDir.c_str()), 0);
    try {
        PolygonStage broken(*gScreen);
        ADD_FAILURE() << "set-up went on without a texture";
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "Polygon3d::setTexture: invalid texture format");
    }
    ASSERT_NE(PHYSFS_mount(gDataDir.c_str(), nullptr, 1), 0);
    EXPECT_NE(log.text().find("Warning: Couldn't open image file 'demo1/test.png'."),
              std::string::npos);
}

TEST_F(PolygonStageTest, DemoEntryPointsDriveOneStageOnTheScreen)
{
    setupPolygonStage();
    resetPolygonStage();
    gScreen->clear();
    drawPolygonStage();
    EXPECT_EQ(pixelAt(kSmallOnly), 0xFF0000A0u);
    EXPECT_EQ(pixelAt(kLargeOnly), 0xFF00A000u);

    handlePolygonStageKey('e');
    updatePolygonStage();
    gScreen->clear();
    drawPolygonStage();
    EXPECT_EQ(pixelAt(kLargeOnly) >> 24, 0u) << "translucent faces leave the alpha byte 0";
}
