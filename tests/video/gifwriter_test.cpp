// GIF recordings decoded by giflib and composed as a viewer composes them; failures leave no file.
#include "support/gamedir.h"
#include "tarvo/video/gifwriter.h"

#include <algorithm>
#include <array>
#include <csignal>
#include <cstring>
#include <fstream>
#include <gif_lib.h>
#include <gtest/gtest.h>
#include <sys/resource.h>

using namespace tarvo;

namespace
{

constexpr int kWidth = 32, kHeight = 16; // 512 pixels: room for more than 256 colours
using Picture = std::vector<uint8_t>;

// Pixel i takes colour i % colours: 0 black, like a blank canvas, the others each off the corner
// of a 5-bit cell of their own, so the quantiser moves them all. A nonzero row is then (0, 0, row).
Picture picture(int colours, int row)
{
    Picture rgb;
    for (int i = 0, c = 0; i < kWidth * kHeight; c = ++i % colours) {
        const bool painted = row > 0 && i / kWidth == row;
        const int lit = c != 0 && !painted;
        rgb.insert(rgb.end(), {uint8_t(lit * ((c & 31) * 8 + 4)), uint8_t(lit * (c >> 5) * 16),
                               uint8_t(painted ? row : lit * 200)});
    }
    return rgb;
}

// Each picture's delay and the canvas after it, which starts white: no test picture holds it.
std::vector<std::pair<int, Picture>> compose(const std::string& path, int width = kWidth,
                                             int height = kHeight)
{
    int error = 0;
    GifFileType* gif = DGifOpenFileName(path.c_str(), &error);
    EXPECT_TRUE(gif && DGifSlurp(gif) == GIF_OK) << path;
    std::vector<std::pair<int, Picture>> shown;
    Picture canvas(width * height * 3, 255);
    for (int i = 0; gif && i < gif->ImageCount; ++i) {
        const SavedImage& image = gif->SavedImages[i];
        GraphicsControlBlock control{};
        DGifSavedExtensionToGCB(gif, i, &control);
        EXPECT_EQ(control.DisposalMode, DISPOSE_DO_NOT);
        const GifImageDesc& area = image.ImageDesc;
        for (int p = 0; p < area.Width * area.Height; ++p) {
            const int at = ((area.Top + p / area.Width) * width + area.Left + p % area.Width) * 3;
            if (image.RasterBits[p] != control.TransparentColor) {
                std::memcpy(&canvas[at], &area.ColorMap->Colors[image.RasterBits[p]], 3);
            }
        }
        shown.emplace_back(control.DelayTime, canvas);
    }
    DGifCloseFile(gif, &error);
    return shown;
}

TEST(GifWriter, DelaysMergesSplitsAndPalettes)
{
    const struct {
        const char* name;
        std::vector<std::array<int, 3>> added; // colours, painted row, tick
        uint32_t endTick;
        std::vector<int> delays, shows; // per picture in the file: delay, index into added
    } cases[] = {
        {"repeats merge", {{9, 0, 0}, {9, 0, 2}, {9, 1, 4}, {9, 0, 6}}, 8, {7, 3, 3}, {0, 2, 3}},
        {"short last merges", {{9, 0, 0}, {9, 1, 2}, {9, 2, 4}}, 5, {3, 5}, {0, 1}},
        {"short middle", {{9, 0, 0}, {9, 1, 4}, {9, 2, 5}, {9, 3, 7}}, 9, {8, 4, 3}, {0, 2, 3}},
        {"single", {{9, 0, 0}}, 1, {2}, {0}},
        {"long split", {{9, 0, 0}, {9, 1, 1}}, 39323, {2, 65534, 2}, {0, 1, 1}},
        {"quantised canvas", {{300, 0, 0}, {200, 0, 2}, {200, 3, 4}}, 6, {3, 4, 3}, {0, 1, 2}},
        {"255 exact, 256 not", {{256, 0, 0}, {255, 0, 2}}, 4, {3, 4}, {0, 1}},
        {"power-of-two colours", {{4, 0, 0}, {8, 0, 2}}, 4, {3, 4}, {0, 1}},
    };
    const TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        GifWriter writer;
        ASSERT_TRUE(writer.open(dir.file("out.gif"), kWidth, kHeight));
        for (const auto& [colours, row, tick] : c.added) {
            ASSERT_TRUE(writer.add(picture(colours, row).data(), tick));
        }
        ASSERT_TRUE(writer.finish(c.endTick));
        const auto shown = compose(dir.file("out.gif"));
        ASSERT_EQ(shown.size(), c.delays.size());
        EXPECT_EQ(writer.pictures(), int(shown.size()));
        for (size_t i = 0; i < shown.size(); ++i) {
            const auto [colours, row, tick] = c.added[c.shows[i]];
            const Picture expected = picture(colours, row);
            EXPECT_EQ(shown[i].first, c.delays[i]) << i;
            EXPECT_TRUE(std::equal(
                expected.begin(), expected.end(), shown[i].second.begin(),
                [&](int a, int b) { return std::abs(a - b) <= (colours > 255 ? 32 : 0); }))
                << i;
        }
    }
    std::ifstream in(dir.file("out.gif"), std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};
    EXPECT_NE(bytes.find(std::string("NETSCAPE2.0\3\1\0\0", 16)), std::string::npos);
}

// Thousands of colours in a smooth field with rare bright ones scattered over it: the quantiser
// alone leaves some pixels 16 to 32 off; every pixel must show within 12 of its colour.
TEST(GifWriter, QuantisedPixelsStayClose)
{
    constexpr int width = 128, height = 64;
    Picture rgb;
    for (int i = 0; i < width * height; ++i) {
        const int x = i % width, y = i / width, k = i / 977;
        rgb.insert(rgb.end(), {uint8_t(x), uint8_t(y * 2), uint8_t((x + y) / 2)});
        if (i % 977 == 0) {
            rgb.end()[-3] = uint8_t(150 + k * 37 % 100);
            rgb.end()[-2] = uint8_t(255 - k * 53 % 120);
            rgb.end()[-1] = uint8_t(k * 91);
        }
    }
    const TempDir dir;
    GifWriter writer;
    ASSERT_TRUE(writer.open(dir.file("out.gif"), width, height));
    ASSERT_TRUE(writer.add(rgb.data(), 0) && writer.finish(2));
    const auto shown = compose(dir.file("out.gif"), width, height);
    ASSERT_EQ(shown.size(), 1u);
    int worst = 0;
    for (size_t i = 0; i < rgb.size(); ++i) {
        worst = std::max(worst, std::abs(shown[0].second[i] - rgb[i]));
    }
    EXPECT_LE(worst, 12);
}

TEST(GifWriter, FailuresLeaveNoFile)
{
    const TempDir dir;
    const std::string path = dir.file("out.gif");
    GifWriter writer;
    EXPECT_FALSE(writer.open(dir.path + "/missing/out.gif", kWidth, kHeight));
    EXPECT_TRUE(GifWriter().open(path, kWidth, kHeight)); // and unfinished, removed at once
    EXPECT_FALSE(std::ifstream(path));

    // A full disk: the file may grow to 4 KiB, and writing past that fails instead of signalling.
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    const rlimit small{4096, old.rlim_max};
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &small);
    bool ok = writer.open(path, kWidth, kHeight);
    for (uint32_t tick = 0; ok && tick < 40; tick += 2) {
        ok = writer.add(picture(300, tick % 4 ? 0 : 5).data(), tick);
    }
    ok = ok && writer.finish(40);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(ok || writer.isOpen() || std::ifstream(path));
}

} // namespace
