// Image loading through the search path and conversion to the screen's format: a failure logs
// one warning and keeps the picture the surface had.
#include "support/capturedlog.h"
#include "support/gamedir.h"
#include "tarvo/video/surface.h"

#include <array>
#include <gtest/gtest.h>
#include <string>

using namespace tarvo;

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

std::array<int, 4> rgbaAt(const Surface& surface, int x, int y)
{
    const SDL_Surface* s = surface.getSdlSurface();
    Uint8 r = 0, g = 0, b = 0, a = 0;
    SDL_GetRGBA(static_cast<const Uint32*>(s->pixels)[y * s->pitch / 4 + x], s->format, &r, &g, &b,
                &a);
    return {r, g, b, a};
}

TEST(Image, FailedLoadOrConversionKeepsThePicture)
{
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0);
    ASSERT_NE(SDL_SetVideoMode(320, 240, 32, 0), nullptr);
    const GameDir game;
    std::string corrupt = kTinyPng;
    corrupt[45] ^= 0x5A; // in the compressed pixel data
    game.write("tiny.png", kTinyPng);
    game.write("truncated.png", kTinyPng.substr(0, 50));
    game.write("corrupt.png", corrupt);
    game.write("text.png", "not a picture at all");
    Surface image;
    image.create(argbFormat(7, 5));
    const SDL_Surface* original = image.getSdlSurface();
    const char* const kDecodeWarning = "Warning: IMG_Load_RW failed.\n";
    for (const auto& [name, warning] : {
             std::pair{"nowhere.png", "Warning: Couldn't open image file 'nowhere.png'.\n"},
             {"truncated.png", kDecodeWarning},
             {"corrupt.png", kDecodeWarning},
             {"text.png", kDecodeWarning},
         }) {
        CapturedLog log;
        image.loadImage(name);
        EXPECT_EQ(image.getSdlSurface(), original) << name;
        EXPECT_EQ(log.text(), warning);
    }
    const std::pair<std::array<int, 2>, std::array<int, 4>> texels[] = {
        {{1, 0}, {0, 255, 0, 128}}, {{1, 1}, {200, 150, 100, 255}}, {{2, 1}, {255, 255, 255, 64}}};
    for (const bool withAlpha : {false, true}) {
        SCOPED_TRACE(withAlpha ? "with alpha" : "opaque");
        CapturedLog log;
        image.loadImage("tiny.png");
        EXPECT_EQ(std::make_pair(image.getWidth(), image.getHeight()), std::make_pair(3, 2));
        image.convertToDisplayFormat(withAlpha);
        const SDL_PixelFormat* format = image.getSdlSurface()->format;
        const SDL_PixelFormat* screen = SDL_GetVideoSurface()->format;
        EXPECT_EQ(format->BitsPerPixel, 32);
        EXPECT_EQ((std::array{format->Rmask, format->Gmask, format->Bmask}),
                  (std::array{screen->Rmask, screen->Gmask, screen->Bmask}));
        EXPECT_EQ(format->Amask != 0, withAlpha);
        for (auto [at, rgba] : texels) {
            rgba[3] = withAlpha ? rgba[3] : 255;
            EXPECT_EQ(rgbaAt(image, at[0], at[1]), rgba) << at[0] << "," << at[1];
        }
        EXPECT_EQ(log.text(), "");
    }

    // Without a video mode there is no display format: the decoded picture stays.
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    CapturedLog log;
    image.loadImage("tiny.png");
    const SDL_Surface* decoded = image.getSdlSurface();
    for (const bool withAlpha : {false, true}) {
        image.convertToDisplayFormat(withAlpha);
        EXPECT_EQ(image.getSdlSurface(), decoded);
    }
    EXPECT_EQ(log.text(),
              "Warning: SDL_DisplayFormat failed.\nWarning: SDL_DisplayFormat failed.\n");
    SDL_Quit();
}

} // namespace
