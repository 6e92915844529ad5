#include "support/capturedlog.h"
#include "support/gamedir.h"
#include "support/zipwriter.h"
#include "video/surface.h"

#include <array>
#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace
{

// A 3 x 2 RGBA PNG. Top row: opaque red, green at alpha 128, blue at alpha 0; bottom row:
// (10, 20, 30), (200, 150, 100), white at alpha 64.
const char kTinyPngBytes[] =
    "\x89\x50\x4e\x47\x0d\x0a\x1a\x0a\x00\x00\x00\x0d\x49\x48\x44\x52\x00\x00\x00\x03\x00\x00"
    "\x00\x02\x08\x06\x00\x00\x00\x9d\x74\x66\x1a\x00\x00\x00\x23\x49\x44\x41\x54\x78\x9c\x63"
    "\xf8\xcf\xc0\xf0\x9f\xe1\x3f\x43\x03\x03\xc3\x7f\x06\x06\x2e\x11\xb9\xff\x27\xa6\xa5\xfc"
    "\xff\xff\xff\xbf\x03\x00\x81\x23\x0b\xb6\xca\x86\xff\x03\x00\x00\x00\x00\x49\x45\x4e\x44"
    "\xae\x42\x60\x82";
const std::string kTinyPng(kTinyPngBytes, sizeof kTinyPngBytes - 1);
const char* const kDecodeWarning = "Warning: IMG_Load_RW failed.\n";

using Rgba = std::array<int, 4>;

Rgba rgbaAt(const Surface& surface, int x, int y)
{
    const SDL_Surface* s = surface.getSdlSurface();
    EXPECT_EQ(s->format->BytesPerPixel, 4);
    Uint8 r = 0, g = 0, b = 0, a = 0;
    SDL_GetRGBA(static_cast<const Uint32*>(s->pixels)[y * s->pitch / 4 + x], s->format, &r, &g, &b,
                &a);
    return {r, g, b, a};
}

class ImageTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0);
        ASSERT_NE(SDL_SetVideoMode(320, 240, 32, 0), nullptr);
        game = std::make_unique<GameDir>();
        std::string corrupt = kTinyPng;
        corrupt[45] ^= 0x5A; // in the compressed pixel data
        const std::string pak = game->file("pak000.zip");
        ASSERT_TRUE(writeZip(pak, {{"pics/tiny.png", kTinyPng},
                                   {"bad/truncated.png", kTinyPng.substr(0, 50)},
                                   {"bad/corrupt.png", corrupt},
                                   {"bad/text.png", "not a picture at all"}}));
        ASSERT_TRUE(vfsMount(pak.c_str()));
    }
    static std::unique_ptr<GameDir> game; // removed at exit
};

std::unique_ptr<GameDir> ImageTest::game;

TEST_F(ImageTest, FailedLoadKeepsThePictureAndSuccessReplacesIt)
{
    Surface image;
    image.create(argbFormat(7, 5));
    const SDL_Surface* original = image.getSdlSurface();
    ASSERT_NE(original, nullptr);
    const std::pair<const char*, std::string> failures[] = {
        {"pics/nowhere.png", "Warning: Couldn't open image file 'pics/nowhere.png'.\n"},
        {"bad/truncated.png", kDecodeWarning},
        {"bad/corrupt.png", kDecodeWarning},
        {"bad/text.png", kDecodeWarning},
    };
    for (const auto& [name, warning] : failures) {
        SCOPED_TRACE(name);
        CapturedLog log;
        image.loadImage(name);
        EXPECT_EQ(image.getSdlSurface(), original);
        EXPECT_EQ(log.text(), warning);
    }

    CapturedLog log;
    image.loadImage("pics/tiny.png");
    ASSERT_NE(image.getSdlSurface(), nullptr);
    EXPECT_EQ(std::make_pair(image.getWidth(), image.getHeight()), std::make_pair(3, 2));
    EXPECT_TRUE(image.isOwned());
    EXPECT_EQ(log.text(), "");
}

TEST_F(ImageTest, ConvertsToTheScreenFormatOrKeepsThePictureWhenItCannot)
{
    CapturedLog log;
    const SDL_PixelFormat* screen = SDL_GetVideoSurface()->format;
    struct Texel {
        int x, y;
        Rgba rgba;
    };
    const Texel texels[] = {
        {1, 0, {0, 255, 0, 128}}, {1, 1, {200, 150, 100, 255}}, {2, 1, {255, 255, 255, 64}}};
    for (const bool withAlpha : {false, true}) {
        SCOPED_TRACE(withAlpha ? "with alpha" : "opaque");
        Surface image;
        image.loadImage("pics/tiny.png");
        image.convertToDisplayFormat(withAlpha);
        ASSERT_NE(image.getSdlSurface(), nullptr);
        const SDL_PixelFormat* format = image.getSdlSurface()->format;
        EXPECT_EQ(format->BitsPerPixel, 32);
        EXPECT_EQ((std::array{format->Rmask, format->Gmask, format->Bmask}),
                  (std::array{screen->Rmask, screen->Gmask, screen->Bmask}));
        EXPECT_EQ(format->Amask != 0, withAlpha);
        for (Texel t : texels) {
            t.rgba[3] = withAlpha ? t.rgba[3] : 255;
            EXPECT_EQ(rgbaAt(image, t.x, t.y), t.rgba) << t.x << "," << t.y;
        }
    }
    Surface empty;
    empty.convertToDisplayFormat(true);
    EXPECT_EQ(empty.getSdlSurface(), nullptr);
    EXPECT_EQ(log.text(), "");

    // Without a video mode there is no display format: the decoded picture stays.
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    Surface image;
    image.loadImage("pics/tiny.png");
    const SDL_Surface* decoded = image.getSdlSurface();
    ASSERT_NE(decoded, nullptr);
    for (const bool withAlpha : {false, true}) {
        image.convertToDisplayFormat(withAlpha);
        EXPECT_EQ(image.getSdlSurface(), decoded);
    }
    EXPECT_EQ(log.text(),
              "Warning: SDL_DisplayFormat failed.\nWarning: SDL_DisplayFormat failed.\n");
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0);
    ASSERT_NE(SDL_SetVideoMode(320, 240, 32, 0), nullptr);
}

} // namespace
