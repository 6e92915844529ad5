// polyraster end to end: scenes written here, the tool run as a process, its raw output, PNG,
// messages and exit codes checked.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>
#include <zlib.h>

namespace
{

class Polyraster : public ::testing::Test
{
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/polyraster-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
    }
    void TearDown() override { std::system(("rm -rf '" + dir + "'").c_str()); }

    void write(const std::string& name, const std::string& bytes) const
    {
        std::ofstream(dir + "/" + name, std::ios::binary) << bytes;
    }
    std::string read(const std::string& name) const
    {
        std::ifstream in(dir + "/" + name, std::ios::binary);
        std::stringstream all;
        all << in.rdbuf();
        return all.str();
    }

    // Runs polyraster on scene.txt (with extra arguments before it); returns the exit status.
    int run(const std::string& scene, const std::string& options = "")
    {
        write("scene.txt", scene);
        const std::string command = std::string("'") + POLYRASTER_PATH + "' " + options + " '" +
                                    dir + "/scene.txt' '" + dir + "/out.raw' 2>'" + dir +
                                    "/stderr.txt' >'" + dir + "/stdout.txt'";
        const int status = std::system(command.c_str());
        errors = read("stderr.txt");
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::string dir;
    std::string errors;
};

uint32_t wordAt(const std::string& bytes, size_t index)
{
    uint32_t word = 0;
    std::memcpy(&word, bytes.data() + 4 * index, 4); // little-endian host
    return word;
}

float floatAt(const std::string& bytes, size_t index)
{
    float value = 0;
    std::memcpy(&value, bytes.data() + 4 * index, 4);
    return value;
}

std::string littleEndian(const std::vector<uint32_t>& words)
{
    std::string bytes;
    for (const uint32_t word : words) {
        for (int shift = 0; shift < 32; shift += 8) {
            bytes += static_cast<char>(word >> shift);
        }
    }
    return bytes;
}

TEST_F(Polyraster, DrawsTheSceneAndWritesPixelsThenDepth)
{
    // Texel (0, 0) opaque blue, (1, 0) empty, (0, 1) green, (1, 1) half-transparent red.
    write("tex.raw", littleEndian({0xFF0000FF, 0x00000000, 0xFF00FF00, 0x80FF0000}));
    const std::string scene = "# two polygons\n"
                              "target 24 16\n"
                              "fill 0xFF102030\n"
                              "\n"
                              "poly 0 5 0 0   # flat triangle at depth 2\n"
                              "v 2.5 2.5 2 0 0 0xFFAABBCC\n"
                              "v 12.5 2.5 2 0 0 0\n"
                              "v 2.5 12.5 2 0 0 0\n"
                              "end\n"
                              "texture 2 2 tex.raw\n"
                              "poly 2 3 0 1\n"
                              "v 16 0 1 0 0 0\n"
                              "v 26 0 1 10 0 0\n"
                              "v 26 4 1 10 4 0\n"
                              "v 16 4 1 0 4 0\n"
                              "end\n";
    ASSERT_EQ(run(scene, "--png '" + dir + "/out.png'"), 0) << errors;
    const std::string out = read("out.raw");
    ASSERT_EQ(out.size(), 24u * 16u * 8u);

    const uint32_t textured[2][2] = {{0xFF0000FF, 0xFF102030}, {0xFF00FF00, 0x80FF0000}};
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 24; ++x) {
            SCOPED_TRACE(::testing::Message() << x << "," << y);
            const size_t i = static_cast<size_t>(y * 24 + x);
            // Triangle: rows 3 to 11, 3 <= x < 15 - y (its hypotenuse is x + y = 15).
            const bool inTriangle = y >= 3 && y <= 11 && x >= 3 && x < 15 - y;
            // Quad: rows 0 to 3, columns 16 to 23 (clipped), texel (x - 16, y) wrapped.
            const bool inQuad = y < 4 && x >= 16;
            uint32_t pixel = 0xFF102030;
            float depth = 0.0f;
            if (inTriangle) {
                pixel = 0xFFAABBCC;
                depth = 0.5f;
            } else if (inQuad) {
                pixel = textured[y & 1][x & 1];
                depth = pixel == 0xFF102030 ? 0.0f : 1.0f; // the empty texel is masked
            }
            EXPECT_EQ(wordAt(out, i), pixel);
            EXPECT_EQ(floatAt(out, 24 * 16 + i), depth);
        }
    }

    // The PNG: signature, IHDR of 24 x 16 8-bit RGB, and an IDAT that inflates to the rows.
    const std::string png = read("out.png");
    ASSERT_GT(png.size(), 33u);
    EXPECT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
    EXPECT_EQ(png.substr(12, 4), "IHDR");
    EXPECT_EQ(png.substr(16, 13), std::string("\0\0\0\x18\0\0\0\x10\x08\x02\0\0\0", 13));
    const size_t idat = png.find("IDAT");
    ASSERT_NE(idat, std::string::npos);
    const uint32_t length = (uint8_t(png[idat - 4]) << 24) | (uint8_t(png[idat - 3]) << 16) |
                            (uint8_t(png[idat - 2]) << 8) | uint8_t(png[idat - 1]);
    std::vector<uint8_t> rows(16 * (1 + 24 * 3));
    uLongf size = rows.size();
    ASSERT_EQ(uncompress(rows.data(), &size, reinterpret_cast<const Bytef*>(png.data() + idat + 4),
                         length),
              Z_OK);
    ASSERT_EQ(size, rows.size());
    for (int y = 0; y < 16; ++y) {
        EXPECT_EQ(rows[y * 73], 0);
        for (int x = 0; x < 24; ++x) {
            const uint32_t pixel = wordAt(out, static_cast<size_t>(y * 24 + x));
            const uint8_t* rgb = &rows[y * 73 + 1 + x * 3];
            EXPECT_EQ((uint32_t(rgb[0]) << 16) | (uint32_t(rgb[1]) << 8) | rgb[2],
                      pixel & 0xFFFFFF);
        }
    }
}

TEST_F(Polyraster, MalformedScenesNameTheLine)
{
    struct Row {
        const char* scene;
        int line;
    };
    const Row rows[] = {
        {"fill 0x1\ntarget 4 4\n", 1},
        {"# size first\ntarget 4 x\n", 2},
        {"target 4 4\nbogus 1\n", 2},
        {"target 4 4\ntarget 4 4\n", 2},
        {"target 4 4\npoly 0 5 0 0\nv 1 2 3\nend\n", 3},
        {"target 4 4\npoly 0 5 0 0\nv 0 0 1 0 0 red\nend\n", 3},
        {"target 4 4\npoly 0 5 256 0\nend\n", 2},
        {"target 4 4\n\npoly 0 5 0 0\nv 0 0 1 0 0 0\n", 3},
        {"target 4 4\ntexture 2 2 missing.raw\n", 2},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.scene);
        EXPECT_EQ(run(row.scene), 1);
        const std::string prefix = dir + "/scene.txt:" + std::to_string(row.line) + ": ";
        EXPECT_EQ(errors.compare(0, prefix.size(), prefix), 0) << errors;
    }
}

TEST_F(Polyraster, RendererExceptionsAreReported)
{
    write("tex.raw", std::string(3 * 2 * 4, '\x7f'));
    struct Row {
        const char* scene;
        const char* report;
    };
    const Row rows[] = {
        {"target 4 4\npoly 2 3 0 0\nv 0 0 1 0 0 0\nv 4 0 1 0 0 0\nv 0 4 1 0 0 0\nend\n",
         "Exception at polygon, line 2150.\n"
         "Message: Polygon3d::setScanlineDrawer: PTEX polygon has no texture!\n"},
        {"target 4 4\npoly 7 5 0 0\nv 0 0 1 0 0 0\nv 4 0 1 0 0 0\nv 0 4 1 0 0 0\nend\n",
         "Exception at polygon, line 2171.\n"
         "Message: Polygon3d::setScanlineDrawer: unknown polygon type\n"},
        {"target 4 4\ntexture 3 2 tex.raw\npoly 2 3 0 0\nv 0 0 1 0 0 0\nend\n",
         "General Exception.\nMessage: Polygon3d::setTexture: invalid texture dimensions\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.scene);
        EXPECT_EQ(run(row.scene), 2);
        EXPECT_EQ(errors, row.report);
    }
}

} // namespace
