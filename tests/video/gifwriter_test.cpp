// GIF recordings decoded with giflib's reader and composed as a viewer composes them: delays,
// merges, splits, transparency and palettes; and no file left behind after a failure.
#include "support/gamedir.h"
#include "video/gifwriter.h"

#include <csignal>
#include <fstream>
#include <gif_lib.h>
#include <gtest/gtest.h>
#include <sys/resource.h>

namespace
{

constexpr int kWidth = 32, kHeight = 16; // 512 pixels: room for more than 256 colours
using Picture = std::vector<uint8_t>;

// Pixel i takes colour i % colours: colour 0 black, as a new file's canvas might be, and the
// others each in a 5-bit cell of their own but off its corner, so the quantiser must merge some
// and moves them all. A nonzero row is then painted
// (0, 0, row): over black, a change in blue alone.
Picture picture(int colours, int row)
{
    Picture rgb;
    for (int i = 0; i < kWidth * kHeight; ++i) {
        const int c = i % colours;
        if (row > 0 && i / kWidth == row) {
            rgb.insert(rgb.end(), {0, 0, uint8_t(row)});
        } else {
            rgb.insert(rgb.end(), {uint8_t(c == 0 ? 0 : (c & 31) * 8 + 4), uint8_t((c >> 5) * 16),
                                   uint8_t(c == 0 ? 0 : 200)});
        }
    }
    return rgb;
}

struct Shown {
    Picture composed;
    int delay;
};

// Starts from magenta, which no test picture holds, so a pixel never drawn shows up.
std::vector<Shown> compose(const std::string& path)
{
    int error = 0;
    GifFileType* gif = DGifOpenFileName(path.c_str(), &error);
    EXPECT_TRUE(gif && DGifSlurp(gif) == GIF_OK) << path;
    std::vector<Shown> shown;
    Picture canvas;
    for (int i = 0; i < kWidth * kHeight; ++i) {
        canvas.insert(canvas.end(), {255, 0, 255});
    }
    for (int i = 0; gif && i < gif->ImageCount; ++i) {
        const SavedImage& image = gif->SavedImages[i];
        GraphicsControlBlock control{};
        DGifSavedExtensionToGCB(gif, i, &control);
        EXPECT_EQ(control.DisposalMode, DISPOSE_DO_NOT);
        const GifImageDesc& area = image.ImageDesc;
        for (int p = 0; p < area.Width * area.Height; ++p) {
            const int index = image.RasterBits[p];
            const int at = ((area.Top + p / area.Width) * kWidth + area.Left + p % area.Width) * 3;
            if (index != control.TransparentColor) {
                const GifColorType& colour = area.ColorMap->Colors[index];
                canvas[at] = colour.Red, canvas[at + 1] = colour.Green,
                canvas[at + 2] = colour.Blue;
            }
        }
        shown.push_back({canvas, control.DelayTime});
    }
    DGifCloseFile(gif, &error);
    return shown;
}

int maxError(const Picture& a, const Picture& b)
{
    int worst = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        worst = std::max(worst, std::abs(a[i] - b[i]));
    }
    return worst;
}

struct Added {
    int colours, row;
    uint32_t tick;
};

TEST(GifWriter, DelaysMergesSplitsAndPalettes)
{
    const struct {
        const char* name;
        std::vector<Added> added;
        uint32_t endTick;
        std::vector<int> delays, shows; // per picture in the file: delay, index into added
    } cases[] = {
        {"instants rounded", {{9, 0, 0}, {9, 1, 2}, {9, 2, 4}}, 6, {3, 4, 3}, {0, 1, 2}},
        {"repeats merge", {{9, 0, 0}, {9, 0, 2}, {9, 1, 4}, {9, 0, 6}}, 8, {7, 3, 3}, {0, 2, 3}},
        {"short last merges", {{9, 0, 0}, {9, 1, 2}, {9, 2, 4}}, 5, {3, 5}, {0, 1}},
        {"short middle merges",
         {{9, 0, 0}, {9, 1, 4}, {9, 2, 5}, {9, 3, 7}},
         9,
         {8, 4, 3},
         {0, 2, 3}},
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
        for (const Added& a : c.added) {
            ASSERT_TRUE(writer.add(picture(a.colours, a.row).data(), a.tick));
        }
        ASSERT_TRUE(writer.finish(c.endTick));
        const std::vector<Shown> shown = compose(dir.file("out.gif"));
        ASSERT_EQ(shown.size(), c.delays.size());
        EXPECT_EQ(writer.pictures(), int(shown.size()));
        for (size_t i = 0; i < shown.size(); ++i) {
            const Added& a = c.added[c.shows[i]];
            EXPECT_EQ(shown[i].delay, c.delays[i]) << i;
            EXPECT_LE(maxError(shown[i].composed, picture(a.colours, a.row)),
                      a.colours > 255 ? 32 : 0)
                << i;
        }
    }
    std::ifstream in(dir.file("out.gif"), std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};
    EXPECT_NE(bytes.find(std::string("NETSCAPE2.0\3\1\0\0", 16)), std::string::npos);
}

TEST(GifWriter, FailuresLeaveNoFile)
{
    const TempDir dir;
    const std::string path = dir.file("out.gif");
    const Picture a = picture(300, 0), b = picture(300, 5);
    GifWriter writer;
    EXPECT_FALSE(writer.open(dir.path + "/missing/out.gif", kWidth, kHeight));
    {
        GifWriter unfinished;
        ASSERT_TRUE(unfinished.open(path, kWidth, kHeight) && unfinished.add(a.data(), 0));
    }
    EXPECT_FALSE(std::ifstream(path));

    // A full disk: the file may grow to 4 KiB, and writing past that fails instead of signalling.
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    const rlimit small{4096, old.rlim_max};
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &small);
    bool ok = writer.open(path, kWidth, kHeight);
    for (uint32_t tick = 0; ok && tick < 40; tick += 2) {
        ok = writer.add((tick % 4 ? a : b).data(), tick);
    }
    ok = ok && writer.finish(40);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(ok);
    EXPECT_FALSE(writer.isOpen());
    EXPECT_FALSE(std::ifstream(path));
}

} // namespace
