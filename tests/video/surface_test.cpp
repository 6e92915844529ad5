#include "support/capturedlog.h"
#include "support/gamedir.h"
#include "video/surface.h"

#include <cmath>
#include <gtest/gtest.h>
#include <vector>

namespace
{

const SurfaceFormat kArgb = {0, 8, 4, 0, 32, 4, 0xFF0000, 0xFF00, 0xFF, 0};

uint32_t pixelAt(const Surface& surface, int x, int y)
{
    const SDL_Surface* s = surface.getSdlSurface();
    return static_cast<const uint32_t*>(s->pixels)[y * (s->pitch / 4) + x];
}

void setPixel(Surface& surface, int x, int y, uint32_t value)
{
    SDL_Surface* s = surface.getSdlSurface();
    static_cast<uint32_t*>(s->pixels)[y * (s->pitch / 4) + x] = value;
}

TEST(Surface, EmptySurfaceIsASilentNoOpExceptForItsFormat)
{
    CapturedLog log;
    Surface empty;
    Surface other;
    other.create(kArgb);
    EXPECT_EQ(empty.getWidth(), 0);
    EXPECT_EQ(empty.getHeight(), 0);
    EXPECT_FALSE(empty.lock());
    EXPECT_EQ(empty.mapRgb(SDL_Color{255, 255, 255, 0}), 0u);
    EXPECT_EQ(empty.getPixelFormat(), nullptr);
    empty.clear();
    empty.fillRect(nullptr, 7);
    empty.blitFrom(other, nullptr, nullptr);
    empty.blitTo(other, nullptr, nullptr);
    other.blitFrom(empty, nullptr, nullptr);
    other.waveBlit(empty, 1.0, 1.0, 1.0, 0, true); // an empty source leaves other untouched
    EXPECT_EQ(empty.getSdlSurface(), nullptr);
    EXPECT_EQ(log.text(), "");

    const SurfaceFormat format = empty.getSurfaceFormat();
    EXPECT_EQ(log.text(), "Warning: Can't get SurfaceFormat for NULL surface.\n");
    const uint32_t* fields = &format.flags;
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(fields[i], 0u) << i;
    }
}

TEST(Surface, CreateReplacesOnlyOnSuccessAndReleaseEmpties)
{
    CapturedLog log;
    Surface surface;
    surface.create(kArgb);
    SDL_Surface* first = surface.getSdlSurface();
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(surface.isOwned());

    SurfaceFormat impossible = kArgb;
    impossible.bitsPerPixel = 13; // no such depth
    surface.create(impossible);
    EXPECT_EQ(surface.getSdlSurface(), first);
    EXPECT_EQ(log.text(), "Warning: SDL_CreateRGBSurface failed.\n");

    const SurfaceFormat copy = surface.getSurfaceFormat();
    EXPECT_EQ(copy.width, 8u);
    EXPECT_EQ(copy.height, 4u);
    EXPECT_EQ(copy.bitsPerPixel, 32u);
    EXPECT_EQ(copy.bytesPerPixel, 4u);
    EXPECT_EQ(copy.pitch, 32u);
    EXPECT_EQ(copy.rMask, 0xFF0000u);

    surface.release();
    EXPECT_EQ(surface.getSdlSurface(), nullptr);
    EXPECT_FALSE(surface.isOwned());
}

TEST(Surface, ScreenSurfaceIsHeldButNotOwned)
{
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0);
    {
        Surface screen;
        ASSERT_TRUE(screen.setVideoMode(320, 240, 32, 0));
        EXPECT_FALSE(screen.isOwned());
        EXPECT_EQ(screen.getWidth(), 320);
        screen.fillRect(nullptr, 0x123456);
        screen.clear();
        EXPECT_EQ(pixelAt(screen, 319, 239) & 0xFFFFFF, 0u);
    }
    // The destructor left the screen to SDL, which still has it.
    ASSERT_NE(SDL_GetVideoSurface(), nullptr);
    EXPECT_EQ(SDL_GetVideoSurface()->w, 320);
    SDL_Quit();
}

TEST(Surface, WaveBlitShiftsRowsBySineAndTruncates)
{
    // One white pixel at the start of each row shows where the row was placed.
    Surface source;
    source.create({0, 8, 8, 0, 32, 4, 0xFF0000, 0xFF00, 0xFF, 0});
    source.fillRect(nullptr, 0);
    for (int row = 0; row < 8; ++row) {
        setPixel(source, 0, row, 0xFFFFFF);
    }
    struct Case {
        int phase;
        std::vector<int> shifts;
    };
    const Case cases[] = {
        {0, {0, 5, 10, 14, 18, 20, 22, 22}},
        {100, {-20, -17, -13, -8, -3, 1, 7, 11}},
    };
    for (const Case& c : cases) {
        Surface dest;
        dest.create({0, 64, 8, 0, 32, 4, 0xFF0000, 0xFF00, 0xFF, 0});
        dest.fillRect(nullptr, 0);
        dest.waveBlit(source, 23.0, 0.115, 2.0, c.phase, false);
        for (int row = 0; row < 8; ++row) {
            int found = -1000;
            for (int x = 0; x < 64; ++x) {
                if (pixelAt(dest, x, row) == 0xFFFFFF) {
                    found = x;
                }
            }
            // Rows pushed left lose their marker to clipping; a drawn row starts at the shift.
            const int shift = c.shifts[row];
            EXPECT_EQ(found, shift >= 0 ? shift : -1000) << "phase " << c.phase << " row " << row;
        }
    }
}

TEST(Surface, WaveBlitOntoEmptyDestinationMakesATransparentCopy)
{
    Surface source;
    source.create({0, 8, 2, 0, 32, 4, 0xFF0000, 0xFF00, 0xFF, 0});
    source.fillRect(nullptr, 0x00ABCDEF);
    Surface dest;
    dest.waveBlit(source, 4.0, 1.0, 1.0, 1, true);
    ASSERT_NE(dest.getSdlSurface(), nullptr);
    EXPECT_TRUE(dest.isOwned());
    EXPECT_EQ(dest.getWidth(), 8);
    EXPECT_EQ(dest.getHeight(), 2);
    EXPECT_EQ(dest.getPixelFormat()->Rmask, 0xFF0000u);
    // Row 0 shifts by trunc(4 sin(1)) = 3, row 1 by trunc(4 sin(2)) = 3: the margin stays 0.
    for (int row = 0; row < 2; ++row) {
        const int shift = static_cast<int>(4.0 * std::sin((row * 1.0 + 1) * 1.0));
        for (int x = 0; x < 8; ++x) {
            EXPECT_EQ(pixelAt(dest, x, row), x < shift ? 0u : 0x00ABCDEFu) << x << "," << row;
        }
    }
    EXPECT_TRUE(dest.getSdlSurface()->flags & SDL_SRCALPHA);
    EXPECT_EQ(dest.getSdlSurface()->format->alpha, 255);
}

TEST(Surface, SaveBmpWritesAPictureAndSkipsAnUnwritablePath)
{
    TempDir dir;
    Surface surface;
    surface.create(kArgb);
    surface.fillRect(nullptr, 0x00FF8000);
    const std::string path = dir.path + "/shot.bmp";
    surface.saveBmp(path.c_str());
    surface.saveBmp((dir.path + "/missing/shot.bmp").c_str());
    SDL_Surface* loaded = SDL_LoadBMP(path.c_str());
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->w, 8);
    EXPECT_EQ(loaded->h, 4);
    Uint8 r, g, b;
    SDL_GetRGB(*static_cast<uint32_t*>(loaded->pixels), loaded->format, &r, &g, &b);
    EXPECT_EQ(r, 255);
    EXPECT_EQ(g, 128);
    EXPECT_EQ(b, 0);
    SDL_FreeSurface(loaded);
}

} // namespace
