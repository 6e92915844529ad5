// Polygon3d on what the reference rasteriser's scenes leave out: bad input kept inside the
// target, texture validation, drawer exceptions.
#include "rendertarget.h"
#include "tarvo/core/exception.h"

#include <limits>

using namespace tarvo;

namespace
{

const uint32_t kWhite = 0xFFFFFFFF;

Vertex3d corner(float x, float y, float z = 1.0f)
{
    return Vertex3d{x, y, z, 0.0f, 0.0f, kWhite};
}

TEST(PolygonRaster, BadInputsWriteNothingOutsideTheTarget)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const std::vector<std::vector<Vertex3d>> shapes = {
        {corner(2.5f, 1.5f), corner(14.5f, 3.5f), corner(6.5f, 11.5f)}, // an ordinary one
        {corner(1e20f, -1e20f), corner(-1e20f, 5.0f), corner(4.0f, 1e20f)},
        {corner(nan, 2.0f), corner(10.0f, nan), corner(3.0f, 9.0f)},
        {corner(-inf, -inf), corner(inf, 3.0f), corner(2.0f, inf)},
        {corner(2.0f, 2.0f, 0.0f), corner(12.0f, 3.0f, -1.0f), corner(5.0f, 11.0f, nan)},
    };
    auto texture = makeTexture(4, 4, std::vector<uint32_t>(16, kWhite));
    for (size_t i = 0; i < shapes.size(); ++i) {
        for (const uint32_t type : {PFLAT, PGOURAUD, PTEX, PTEXGOURAUD}) {
            RenderTarget target(16, 12, 4);
            std::fill(target.depth.begin(), target.depth.end(), 1.0f);
            clearDepth(target.buffer); // the first clear: everything
            drawPolygon(target, shapes[i], type, texture.get());
            EXPECT_TRUE(target.paddingUntouched()) << "shape " << i << " type " << type;
            clearDepth(target.buffer); // then where polygons drew
            EXPECT_EQ(target.depth, std::vector<float>(target.depth.size(), 0.0f));
        }
    }
    // A depth buffer narrower than the target, or a 16-bit target: nothing is drawn.
    RenderTarget narrow(16, 12, 4), shallow(16, 12, 4);
    narrow.buffer.width = 15;
    SurfaceFormat format16 = argbFormat(16, 12, 0);
    format16.bitsPerPixel = 16;
    shallow.surface.create(format16);
    for (RenderTarget* target : {&narrow, &shallow}) {
        drawPolygon(*target, shapes[0], PFLAT);
        EXPECT_EQ(target->depth, std::vector<float>(target->depth.size(), 0.0f));
    }
}

TEST(PolygonTexture, SetTextureValidatesBeforeChangingAnything)
{
    auto square = makeTexture(4, 4, std::vector<uint32_t>(16, 1));
    const std::string dimensions = "Polygon3d::setTexture: invalid texture dimensions";
    const std::string format = "Polygon3d::setTexture: invalid texture format";
    // Accepted textures are addressed through their masks in the reference rasteriser's scenes.
    const struct {
        int width, height, bitsPerPixel;
        std::string error; // empty when accepted
    } rows[] = {
        {1, 1, 32, ""},           {256, 64, 32, ""},        {64, 256, 32, ""},
        {48, 32, 32, dimensions}, {32, 12, 32, dimensions}, {48, 32, 24, format}, // format first
        {0, 0, 32, format}, // an empty surface
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(::testing::Message() << row.width << "x" << row.height);
        Surface candidate;
        SurfaceFormat f = argbFormat(row.width, row.height, 0);
        f.bitsPerPixel = static_cast<uint32_t>(row.bitsPerPixel);
        if (row.width > 0) {
            candidate.create(f);
            ASSERT_NE(candidate.getSdlSurface(), nullptr);
        }
        Polygon3d polygon;
        polygon.setTexture(square.get());
        std::string error;
        try {
            polygon.setTexture(&candidate);
        } catch (const Exception& thrown) {
            error = thrown.what();
            EXPECT_EQ(thrown.getFile(), nullptr);
            EXPECT_EQ(thrown.getLine(), -1);
        }
        EXPECT_EQ(error, row.error);
        EXPECT_EQ(polygon.texture, row.error.empty() ? &candidate : square.get());
        if (!row.error.empty()) { // still the 4 x 4 square's
            EXPECT_EQ(polygon.textureWidthMask | polygon.textureHeightMask << 8, 0x303);
            EXPECT_EQ(polygon.textureWidthShift, 2u);
        }
        polygon.setTexture(nullptr);
        EXPECT_EQ(polygon.texture, nullptr);
        EXPECT_EQ(polygon.textureWidthMask | polygon.textureHeightMask, 0);
    }
}

TEST(PolygonDrawers, ThrowsLocatedExceptions)
{
    const char* const noTexture = "Polygon3d::setScanlineDrawer: PTEX polygon has no texture!";
    const char* const unknown = "Polygon3d::setScanlineDrawer: unknown polygon type";
    const struct {
        uint32_t type;
        bool textured;
        const char* message;
        int line;
    } rows[] = {{PTEX, false, noTexture, 2150},
                {PTEXGOURAUD, false, noTexture, 2150},
                {4, true, unknown, 2171},
                {0xFFFFFFFF, false, unknown, 2171}};
    auto texture = makeTexture(2, 2, std::vector<uint32_t>(4, kWhite));
    for (const auto& row : rows) {
        SCOPED_TRACE(row.type);
        RenderTarget target(8, 8);
        try {
            drawPolygon(target, {corner(0, 0), corner(8, 0), corner(0, 8)}, row.type,
                        row.textured ? texture.get() : nullptr);
            ADD_FAILURE() << "no exception";
        } catch (const Exception& error) {
            EXPECT_STREQ(error.what(), row.message);
            EXPECT_STREQ(error.getFile(), "polygon");
            EXPECT_EQ(error.getLine(), row.line);
        }
        EXPECT_EQ(target.depth, std::vector<float>(target.depth.size(), 0.0f)); // nothing drawn
    }
}

} // namespace
