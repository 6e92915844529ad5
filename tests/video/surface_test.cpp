// Surface: the empty surface's no-ops, replacing a picture only on success, the screen it holds
// but does not own, and the wave blit's row shifts. Every end-to-end screenshot reads saveBmp's
// pictures back.
#include "support/capturedlog.h"
#include "tarvo/video/surface.h"

#include <gtest/gtest.h>
#include <vector>

using namespace tarvo;

namespace
{

uint32_t pixelAt(const Surface& surface, int x, int y)
{
    const SDL_Surface* s = surface.getSdlSurface();
    return static_cast<const uint32_t*>(s->pixels)[y * (s->pitch / 4) + x];
}

TEST(Surface, EmptySurfaceIsASilentNoOpExceptForItsFormat)
{
    CapturedLog log;
    Surface empty;
    Surface other;
    other.create(argbFormat(8, 4));
    EXPECT_FALSE(empty.lock());
    EXPECT_EQ(empty.mapRgb(SDL_Color{255, 255, 255, 0}), 0u);
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
    EXPECT_EQ(format.width + format.height + format.bitsPerPixel + format.rMask, 0u);
}

TEST(Surface, CreateReplacesOnlyOnSuccessAndReleaseEmpties)
{
    CapturedLog log;
    Surface surface;
    surface.create(argbFormat(8, 4));
    SDL_Surface* first = surface.getSdlSurface();
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(surface.isOwned());
    SurfaceFormat impossible = argbFormat(8, 4);
    impossible.bitsPerPixel = 13; // no such depth
    surface.create(impossible);
    EXPECT_EQ(surface.getSdlSurface(), first);
    EXPECT_EQ(log.text(), "Warning: SDL_CreateRGBSurface failed.\n");
    EXPECT_EQ(surface.getSurfaceFormat().pitch, 32u);
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
    source.create(argbFormat(8, 8));
    source.fillRect(nullptr, 0);
    SDL_Rect marks = {0, 0, 1, 8};
    source.fillRect(&marks, 0xFFFFFF);
    const std::pair<int, std::vector<int>> cases[] = {
        {0, {0, 5, 10, 14, 18, 20, 22, 22}},
        {100, {-20, -17, -13, -8, -3, 1, 7, 11}},
    };
    for (const auto& [phase, shifts] : cases) {
        Surface dest;
        dest.create(argbFormat(64, 8));
        dest.fillRect(nullptr, 0);
        dest.waveBlit(source, 23.0, 0.115, 2.0, phase, false);
        for (int row = 0; row < 8; ++row) {
            int found = -1000;
            for (int x = 0; x < 64; ++x) {
                found = pixelAt(dest, x, row) == 0xFFFFFF ? x : found;
            }
            // Rows pushed left lose their marker to clipping; a drawn row starts at the shift.
            EXPECT_EQ(found, shifts[row] >= 0 ? shifts[row] : -1000) << phase << " " << row;
        }
    }
    // Onto an empty surface: a transparent copy of the source's size; trunc(4 sin(1)) and
    // trunc(4 sin(2)) shift both rows by 3, and the margin stays 0.
    source.fillRect(nullptr, 0x00ABCDEF);
    Surface copy;
    copy.waveBlit(source, 4.0, 1.0, 1.0, 1, true);
    ASSERT_NE(copy.getSdlSurface(), nullptr);
    EXPECT_EQ(std::make_pair(copy.getWidth(), copy.getHeight()), std::make_pair(8, 8));
    EXPECT_EQ(std::make_pair(pixelAt(copy, 2, 1), pixelAt(copy, 3, 1)),
              std::make_pair(0u, 0x00ABCDEFu));
    EXPECT_TRUE(copy.isOwned());
    EXPECT_TRUE(copy.getSdlSurface()->flags & SDL_SRCALPHA);
    EXPECT_EQ(copy.getSdlSurface()->format->alpha, 255);
}

} // namespace
