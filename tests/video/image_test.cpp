#include "support/capturedlog.h"
#include "support/tempdir.h"
#include "support/zipwriter.h"
#include "video/surface.h"

#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <memory>
#include <physfs.h>
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
const size_t kIdatDataOffset = 41;

struct Rgba {
    int r, g, b, a;
};

// Reads 24- and 32-bit pixels alike (a decoded BMP may be either).
Rgba pixelAt(const Surface& surface, int x, int y)
{
    const SDL_Surface* s = surface.getSdlSurface();
    const int bytes = s->format->BytesPerPixel;
    const Uint8* at = static_cast<const Uint8*>(s->pixels) + y * s->pitch + x * bytes;
    uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) {
        value = value << 8 | at[SDL_BYTEORDER == SDL_LIL_ENDIAN ? i : bytes - 1 - i];
    }
    Uint8 r = 0, g = 0, b = 0, a = 0;
    SDL_GetRGBA(value, s->format, &r, &g, &b, &a);
    return {r, g, b, a};
}

// A 5 x 4 picture in BMP form, whose top-left pixel is (1, 2, 3).
std::string bmpBytes(const std::string& scratchPath)
{
    SDL_Surface* picture = SDL_CreateRGBSurface(SDL_SWSURFACE, 5, 4, 32, 0xFF0000, 0xFF00, 0xFF, 0);
    SDL_FillRect(picture, nullptr, 0x010203);
    SDL_SaveBMP(picture, scratchPath.c_str());
    SDL_FreeSurface(picture);
    std::ifstream in(scratchPath, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A one-entry archive whose entry claims to be deflated but holds no deflate stream, so the
// archive mounts and the file opens, yet reading it fails part-way.
void writeBrokenZip(const std::string& path, const std::string& name)
{
    ASSERT_TRUE(writeZip(path, {{name, std::string(64, '\x7f')}}));
    std::fstream zip(path, std::ios::in | std::ios::out | std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(zip)), std::istreambuf_iterator<char>());
    const size_t centralOffset = static_cast<unsigned char>(bytes[bytes.size() - 6]) |
                                 static_cast<unsigned char>(bytes[bytes.size() - 5]) << 8;
    for (const size_t methodField : {size_t{8}, centralOffset + 10}) {
        zip.seekp(static_cast<std::streamoff>(methodField));
        zip.put(8); // deflate
    }
}

class ImageTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0);
        ASSERT_NE(SDL_SetVideoMode(320, 240, 32, 0), nullptr);
        gameDir = std::make_unique<TempDir>();
        const std::string bmp = bmpBytes(gameDir->path + "/scratch.bmp");
        std::string corrupt = kTinyPng;
        corrupt[kIdatDataOffset + 4] = static_cast<char>(corrupt[kIdatDataOffset + 4] ^ 0x5A);

        gameDir->write("pics/loose.png", kTinyPng);
        const std::string pak = gameDir->path + "/pak000.zip";
        ASSERT_TRUE(writeZip(pak, {{"pics/tiny.png", kTinyPng},
                                   {"pics/bmp.png", bmp},
                                   {"pics/loose.png", bmp},
                                   {"bad/truncated.png", kTinyPng.substr(0, 50)},
                                   {"bad/corrupt.png", corrupt},
                                   {"bad/text.png", "not a picture at all"},
                                   {"bad/empty.png", ""}}));
        const std::string broken = gameDir->path + "/pak001.zip";
        writeBrokenZip(broken, "bad/deflated.png");
        ASSERT_NE(PHYSFS_init(nullptr), 0);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
        // The game directory before its archives, as the engine mounts them.
        ASSERT_NE(PHYSFS_addToSearchPath(gameDir->path.c_str(), 1), 0);
        ASSERT_NE(PHYSFS_addToSearchPath(pak.c_str(), 1), 0);
        ASSERT_NE(PHYSFS_addToSearchPath(broken.c_str(), 1), 0);
#pragma GCC diagnostic pop
    }
    static void TearDownTestSuite()
    {
        PHYSFS_deinit();
        gameDir.reset();
        SDL_Quit();
    }

    static std::unique_ptr<TempDir> gameDir;
};

std::unique_ptr<TempDir> ImageTest::gameDir;

TEST_F(ImageTest, LoadsByVirtualNameWithLooseFilesBeforeTheArchive)
{
    struct Case {
        const char* name;
        int width;
        int height;
        Rgba topLeft;
    };
    const Case cases[] = {
        {"pics/tiny.png", 3, 2, {255, 0, 0, 255}},
        {"pics/bmp.png", 5, 4, {1, 2, 3, 255}}, // recognised by content, not by name
        {"pics/loose.png", 3, 2, {255, 0, 0, 255}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CapturedLog log;
        Surface image;
        image.loadImage(c.name);
        ASSERT_NE(image.getSdlSurface(), nullptr);
        EXPECT_TRUE(image.isOwned());
        EXPECT_EQ(image.getWidth(), c.width);
        EXPECT_EQ(image.getHeight(), c.height);
        ASSERT_GE(image.getSdlSurface()->format->BytesPerPixel, 3);
        const Rgba pixel = pixelAt(image, 0, 0);
        EXPECT_EQ(pixel.r, c.topLeft.r);
        EXPECT_EQ(pixel.g, c.topLeft.g);
        EXPECT_EQ(pixel.b, c.topLeft.b);
        EXPECT_EQ(log.text(), "");
    }
}

TEST_F(ImageTest, FailedLoadKeepsThePictureAndLogsWhy)
{
    CapturedLog log;
    Surface image;
    image.loadImage("pics/tiny.png");
    const SDL_Surface* original = image.getSdlSurface();
    ASSERT_NE(original, nullptr);

    struct Case {
        const char* name;
        const char* warning;
    };
    const Case cases[] = {
        {"pics/nowhere.png", "Warning: Couldn't open image file 'pics/nowhere.png'.\n"},
        {"bad/truncated.png", "Warning: IMG_Load_RW failed.\n"},
        {"bad/corrupt.png", "Warning: IMG_Load_RW failed.\n"},
        {"bad/text.png", "Warning: IMG_Load_RW failed.\n"},
        {"bad/empty.png", "Warning: IMG_Load_RW failed.\n"},
        {"bad/deflated.png", "Warning: IMG_Load_RW failed.\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CapturedLog caseLog;
        image.loadImage(c.name);
        EXPECT_EQ(image.getSdlSurface(), original);
        EXPECT_TRUE(image.isOwned());
        EXPECT_EQ(image.getWidth(), 3);
        EXPECT_EQ(caseLog.text(), c.warning);

        Surface empty;
        empty.loadImage(c.name);
        empty.convertToDisplayFormat(false);
        EXPECT_EQ(empty.getSdlSurface(), nullptr);
        EXPECT_EQ(caseLog.text(), std::string(c.warning) + c.warning);
    }

    image.loadImage("pics/bmp.png");
    EXPECT_NE(image.getSdlSurface(), nullptr);
    EXPECT_EQ(image.getWidth(), 5);
    EXPECT_EQ(image.getHeight(), 4);
    EXPECT_EQ(log.text(), "");
}

TEST_F(ImageTest, DisplayFormatConversionsMatchTheScreen)
{
    CapturedLog log;
    const SDL_PixelFormat* screen = SDL_GetVideoSurface()->format;

    Surface opaque;
    opaque.loadImage("pics/tiny.png");
    const SDL_Surface* decoded = opaque.getSdlSurface();
    opaque.convertToDisplayFormat(false);
    const SDL_Surface* converted = opaque.getSdlSurface();
    ASSERT_NE(converted, nullptr);
    EXPECT_NE(converted, decoded);
    EXPECT_TRUE(opaque.isOwned());
    EXPECT_EQ(converted->format->BitsPerPixel, 32);
    EXPECT_EQ(converted->format->Rmask, screen->Rmask);
    EXPECT_EQ(converted->format->Gmask, screen->Gmask);
    EXPECT_EQ(converted->format->Bmask, screen->Bmask);
    EXPECT_EQ(converted->format->Amask, 0u);
    const Rgba bottomMiddle = pixelAt(opaque, 1, 1);
    EXPECT_EQ(bottomMiddle.r, 200);
    EXPECT_EQ(bottomMiddle.g, 150);
    EXPECT_EQ(bottomMiddle.b, 100);

    Surface translucent;
    translucent.loadImage("pics/tiny.png");
    translucent.convertToDisplayFormat(true);
    ASSERT_NE(translucent.getSdlSurface(), nullptr);
    EXPECT_EQ(translucent.getSdlSurface()->format->BitsPerPixel, 32);
    EXPECT_NE(translucent.getSdlSurface()->format->Amask, 0u);
    struct Texel {
        int x, y;
        Rgba rgba;
    };
    const Texel texels[] = {{0, 0, {255, 0, 0, 255}},
                            {1, 0, {0, 255, 0, 128}},
                            {2, 0, {0, 0, 255, 0}},
                            {2, 1, {255, 255, 255, 64}}};
    for (const Texel& t : texels) {
        const Rgba pixel = pixelAt(translucent, t.x, t.y);
        EXPECT_EQ(pixel.a, t.rgba.a) << t.x << "," << t.y;
        if (t.rgba.a == 255) {
            EXPECT_EQ(pixel.r, t.rgba.r) << t.x << "," << t.y;
            EXPECT_EQ(pixel.g, t.rgba.g) << t.x << "," << t.y;
            EXPECT_EQ(pixel.b, t.rgba.b) << t.x << "," << t.y;
        }
    }
    EXPECT_EQ(log.text(), "");
}

TEST_F(ImageTest, FailedConversionKeepsTheDecodedPicture)
{
    // Without a video mode there is no display format to convert to.
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    CapturedLog log;
    Surface image;
    image.loadImage("pics/tiny.png");
    const SDL_Surface* decoded = image.getSdlSurface();
    ASSERT_NE(decoded, nullptr);
    for (const bool withAlpha : {false, true}) {
        image.convertToDisplayFormat(withAlpha);
        EXPECT_EQ(image.getSdlSurface(), decoded);
        EXPECT_TRUE(image.isOwned());
    }
    EXPECT_EQ(log.text(),
              "Warning: SDL_DisplayFormat failed.\nWarning: SDL_DisplayFormat failed.\n");
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0);
    ASSERT_NE(SDL_SetVideoMode(320, 240, 32, 0), nullptr);
}

} // namespace
