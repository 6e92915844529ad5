// polyraster run as a process on scenes written here: raw output layout, PNG header, messages and
// exit statuses.
#include "support/gamedir.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

using namespace tarvo;

namespace
{

template <typename T>
T wordAt(const std::string& bytes, size_t index)
{
    T word{};
    std::memcpy(&word, bytes.data() + 4 * index, 4); // little-endian host
    return word;
}

TEST(Polyraster, WritesPixelsThenDepthAndReportsErrorsByStatus)
{
    const TempDir temp;
    const std::string& dir = temp.path;
    std::string errors;
    // Runs polyraster on the scene, writing out.raw and out.png; returns the exit status.
    const auto run = [&](const std::string& scene) {
        std::ofstream(dir + "/scene.txt") << scene;
        const int status =
            std::system(("'" + std::string(POLYRASTER_PATH) + "' --png '" + dir + "/out.png' '" +
                         dir + "/scene.txt' '" + dir + "/out.raw' 2>'" + dir + "/stderr.txt'")
                            .c_str());
        errors = readFile(dir + "/stderr.txt");
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    // Texels (0, 0) opaque blue, (1, 0) zero, (0, 1) green, (1, 1) half-transparent red.
    std::ofstream(dir + "/tex.raw", std::ios::binary)
        << std::string("\xFF\0\0\xFF\0\0\0\0\0\xFF\0\xFF\0\0\xFF\x80", 16);
    ASSERT_EQ(run("target 24 16  # comment\nfill 0xFF102030\n\n"
                  "poly 0 5 0 0\nv 2.5 2.5 2 0 0 0xFFAABBCC\nv 12.5 2.5 2 0 0 0\n"
                  "v 2.5 12.5 2 0 0 0\nend\n"
                  "texture 2 2 tex.raw\npoly 2 3 0 1\nv 16 0 1 0 0 0\nv 26 0 1 10 0 0\n"
                  "v 26 4 1 10 4 0\nv 16 4 1 0 4 0\nend\n"),
              0)
        << errors;
    const std::string out = readFile(dir + "/out.raw");
    ASSERT_EQ(out.size(), 24u * 16u * 8u);
    const uint32_t textured[2][2] = {{0xFF0000FF, 0xFF102030}, {0xFF00FF00, 0x80FF0000}};
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 24; ++x) {
            SCOPED_TRACE(::testing::Message() << x << "," << y);
            // Flat triangle: rows 3 to 11, 3 <= x < 15 - y. Masked textured quad: rows 0 to 3
            // from column 16, clipped on the right.
            uint32_t pixel = 0xFF102030;
            float depth = 0.0f;
            if (y >= 3 && y <= 11 && x >= 3 && x < 15 - y) {
                pixel = 0xFFAABBCC;
                depth = 0.5f;
            } else if (y < 4 && x >= 16) {
                pixel = textured[y & 1][x & 1];
                depth = pixel == 0xFF102030 ? 0.0f : 1.0f;
            }
            EXPECT_EQ(wordAt<uint32_t>(out, y * 24 + x), pixel);
            EXPECT_EQ(wordAt<float>(out, 24 * 16 + y * 24 + x), depth);
        }
    }
    // The PNG's signature and header: 24 x 16, 8-bit RGB.
    EXPECT_EQ(readFile(dir + "/out.png").substr(0, 29),
              std::string("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\0\x18\0\0\0\x10\x08\x02\0\0\0", 29));

    // Malformed scenes: status 1 and SCENE:LINE: first.
    const std::pair<const char*, int> malformed[] = {
        {"fill 0x1\ntarget 4 4\n", 1},
        {"# size first\ntarget 4 x\n", 2},
        {"target 4 4\nbogus 1\n", 2},
        {"target 4 4\npoly 0 5 0 0\nv 0 0 1 0 0 red\nend\n", 3},
        {"target 4 4\n\npoly 0 5 0 0\nv 0 0 1 0 0 0\n", 3}, // no end
        {"target 4 4\ntexture 2 2 missing.raw\n", 2},
    };
    for (const auto& [scene, line] : malformed) {
        SCOPED_TRACE(scene);
        EXPECT_EQ(run(scene), 1);
        const std::string prefix = dir + "/scene.txt:" + std::to_string(line) + ": ";
        EXPECT_EQ(errors.compare(0, prefix.size(), prefix), 0) << errors;
    }
    // The renderer's exceptions: status 2 and the report, located or not.
    const std::pair<const char*, const char*> failing[] = {
        {"target 4 4\npoly 2 3 0 0\nv 0 0 1 0 0 0\nv 4 0 1 0 0 0\nv 0 4 1 0 0 0\nend\n",
         "Exception at polygon, line 2150.\n"
         "Message: Polygon3d::setScanlineDrawer: PTEX polygon has no texture!\n"},
        {"target 4 4\ntexture 3 2 tex.raw\npoly 2 3 0 0\nv 0 0 1 0 0 0\nend\n",
         "General Exception.\nMessage: Polygon3d::setTexture: invalid texture dimensions\n"},
    };
    std::ofstream(dir + "/tex.raw", std::ios::binary) << std::string(3 * 2 * 4, '\x7f');
    for (const auto& [scene, report] : failing) {
        SCOPED_TRACE(scene);
        EXPECT_EQ(run(scene), 2);
        EXPECT_EQ(errors, report);
    }
}

} // namespace
