// Polygon3d: texture validation, drawer choice, the top-left fill rule, clipping and the
// constant-depth shortcut, checked against geometry worked out independently of the renderer.
#include "core/exception.h"
#include "render3d/polygon.h"
#include "rendertarget.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <map>
#include <set>
#include <string>
#include <utility>

namespace
{

using PixelSet = std::set<std::pair<int, int>>;

const uint32_t kWhite = 0xFFFFFFFF;

PixelSet drawnPixels(RenderTarget& target)
{
    PixelSet drawn;
    for (int y = 0; y < target.height; ++y) {
        for (int x = 0; x < target.width; ++x) {
            if (target.pixel(x, y) != 0) {
                drawn.insert({x, y});
            }
        }
    }
    return drawn;
}

Vertex3d corner(float x, float y, float z = 1.0f, float u = 0.0f, float v = 0.0f,
                uint32_t color = kWhite)
{
    Vertex3d vertex;
    vertex.x = x;
    vertex.y = y;
    vertex.z = z;
    vertex.u = u;
    vertex.v = v;
    vertex.color = color;
    return vertex;
}

TEST(PolygonRaster, TriangleFollowsTheTopLeftRuleInEveryVertexOrder)
{
    // Rows 11 to 19 lie in 10.5 <= y < 20.5; the hypotenuse x = 31 - y is the right edge, and
    // pixel x is drawn when ceil(10.5) <= x < ceil(31 - y). Row 20 ends at x < 11: empty.
    PixelSet expected;
    for (int y = 11; y <= 19; ++y) {
        for (int x = 11; x < 31 - y; ++x) {
            expected.insert({x, y});
        }
    }
    const Vertex3d a = corner(10.5f, 10.5f, 2.0f), b = corner(20.5f, 10.5f, 2.0f),
                   c = corner(10.5f, 20.5f, 2.0f);
    const std::vector<std::vector<Vertex3d>> orders = {{a, b, c}, {b, c, a}, {c, a, b},
                                                       {a, c, b}, {c, b, a}, {b, a, c}};
    for (const auto& order : orders) {
        SCOPED_TRACE(order[0].x + order[0].y * 100);
        RenderTarget target(32, 24);
        drawPolygon(target, order, PFLAT);
        EXPECT_EQ(drawnPixels(target), expected);
        for (const auto& [x, y] : expected) {
            EXPECT_EQ(target.pixel(x, y), kWhite);
            EXPECT_EQ(target.depthAt(x, y), 0.5f);
        }
    }
}

TEST(PolygonRaster, SharedEdgesLeaveNoGapAndNoOverlap)
{
    struct Shape {
        const char* what;
        std::vector<Vertex3d> outline; // convex, drawn whole and as a fan around hub
        Vertex3d hub;
    };
    std::vector<Vertex3d> octagon;
    for (int i = 0; i < 8; ++i) {
        const float angle = 0.3f + static_cast<float>(i) * 0.785398f;
        octagon.push_back(corner(20.3f + 14.1f * std::cos(angle), 15.7f + 11.3f * std::sin(angle)));
    }
    const std::vector<Shape> shapes = {
        {"quad, fan from a corner",
         {corner(3.2f, 2.7f), corner(35.9f, 6.1f), corner(31.4f, 28.3f), corner(5.6f, 21.5f)},
         corner(3.2f, 2.7f)},
        {"quad on integer and half coordinates",
         {corner(2, 2), corner(30.5f, 4), corner(37, 29.5f), corner(8.5f, 20)},
         corner(20, 12.5f)},
        {"octagon around an inner point", octagon, corner(21.37f, 14.29f)},
    };
    for (const Shape& shape : shapes) {
        SCOPED_TRACE(shape.what);
        RenderTarget whole(40, 32);
        drawPolygon(whole, shape.outline, PFLAT);
        const PixelSet expected = drawnPixels(whole);
        ASSERT_FALSE(expected.empty());

        std::map<std::pair<int, int>, int> coverage;
        const size_t n = shape.outline.size();
        for (size_t i = 0; i < n; ++i) {
            RenderTarget part(40, 32);
            drawPolygon(part, {shape.hub, shape.outline[i], shape.outline[(i + 1) % n]}, PFLAT);
            for (const auto& pixel : drawnPixels(part)) {
                ++coverage[pixel];
            }
        }
        PixelSet covered;
        for (const auto& [pixel, times] : coverage) {
            EXPECT_EQ(times, 1) << "pixel " << pixel.first << "," << pixel.second;
            covered.insert(pixel);
        }
        EXPECT_EQ(covered, expected);
    }
}

// The plane through three corners, as a function of screen x and y, evaluated in double.
struct Plane {
    double a, b, c;
    Plane(const Vertex3d& p, const Vertex3d& q, const Vertex3d& r, double vp, double vq, double vr)
    {
        const double det = (q.x - p.x) * (r.y - p.y) - (r.x - p.x) * (q.y - p.y);
        a = ((vq - vp) * (r.y - p.y) - (vr - vp) * (q.y - p.y)) / det;
        b = ((vr - vp) * (q.x - p.x) - (vq - vp) * (r.x - p.x)) / det;
        c = vp - a * p.x - b * p.y;
    }
    double at(int x, int y) const { return a * x + b * y + c; }
};

TEST(PolygonRaster, ClippingOnAllSidesAdvancesEveryAttribute)
{
    // A quad overhanging the 16 x 12 target on every side, red rising to the right, green
    // downwards, 1/z, u/z and v/z linear in screen space as a projected plane's are. The depth
    // buffer has 4 spare columns and rows that must stay untouched.
    std::vector<uint32_t> texels(32 * 32);
    for (int i = 0; i < 32 * 32; ++i) {
        texels[i] = 0xFF000000u | static_cast<uint32_t>(i);
    }
    auto texture = makeTexture(32, 32, texels);
    // Constant depth (the affine drawer, one texel per pixel), then a tilted plane.
    const double slopes[2] = {0.0, 0.01};
    for (const double slope : slopes) {
        SCOPED_TRACE(slope);
        const auto at = [slope](float x, float y, uint32_t color) {
            const double invZ = 1.0 / 3.0 + slope * x;
            const double uOverZ = slope == 0.0 ? (x + 7.25) / 3.0 : 0.3 * x + 0.05 * y + 3.1;
            const double vOverZ = slope == 0.0 ? (y + 5.5) / 3.0 : 0.02 * x + 0.35 * y + 2.3;
            return corner(x, y, static_cast<float>(1.0 / invZ), static_cast<float>(uOverZ / invZ),
                          static_cast<float>(vOverZ / invZ), color);
        };
        const std::vector<Vertex3d> quad = {
            at(-7.25f, -5.5f, 0xFF000000),
            at(22.5f, -5.5f, 0xFFF00000),
            at(22.5f, 17.25f, 0xFFF0E600),
            at(-7.25f, 17.25f, 0xFF00E600),
        };
        const Plane invZ(quad[0], quad[1], quad[2], 1.0 / quad[0].z, 1.0 / quad[1].z,
                         1.0 / quad[2].z);
        const Plane uOverZ(quad[0], quad[1], quad[2], quad[0].u / quad[0].z, quad[1].u / quad[1].z,
                           quad[2].u / quad[2].z);
        const Plane vOverZ(quad[0], quad[1], quad[2], quad[0].v / quad[0].z, quad[1].v / quad[1].z,
                           quad[2].v / quad[2].z);

        RenderTarget shaded(16, 12, 4);
        drawPolygon(shaded, quad, PGOURAUD);
        RenderTarget textured(16, 12, 4);
        drawPolygon(textured, quad, PTEX, texture.get());
        for (int y = 0; y < 12; ++y) {
            for (int x = 0; x < 16; ++x) {
                SCOPED_TRACE(::testing::Message() << x << "," << y);
                const double red = 240.0 * (x + 7.25) / 29.75;
                const double green = 230.0 * (y + 5.5) / 22.75;
                const uint32_t pixel = shaded.pixel(x, y);
                EXPECT_NEAR(static_cast<double>((pixel >> 16) & 0xFF), std::floor(red), 1.0);
                EXPECT_NEAR(static_cast<double>((pixel >> 8) & 0xFF), std::floor(green), 1.0);
                EXPECT_NEAR(shaded.depthAt(x, y), invZ.at(x, y), 1e-5);

                const double u = uOverZ.at(x, y) / invZ.at(x, y);
                const double v = vOverZ.at(x, y) / invZ.at(x, y);
                const bool nearTexelEdge =
                    std::fabs(u - std::round(u)) < 0.01 || std::fabs(v - std::round(v)) < 0.01;
                if (!nearTexelEdge) {
                    const uint32_t texel = (static_cast<uint32_t>(std::floor(v)) & 31) * 32 +
                                           (static_cast<uint32_t>(std::floor(u)) & 31);
                    EXPECT_EQ(textured.pixel(x, y), 0xFF000000u | texel);
                }
            }
        }
        for (const RenderTarget* target : {&shaded, &textured}) {
            for (int y = 0; y < 16; ++y) {
                for (int x = 0; x < 20; ++x) {
                    if (x >= 16 || y >= 12) {
                        EXPECT_EQ(target->depthAt(x, y), 0.0f) << x << "," << y;
                    }
                }
            }
        }
    }
}

TEST(PolygonRaster, ConstantDepthSpansTakeTheAffineDrawer)
{
    // Two texels, the boundary between them just inside the span: u runs from 65535/65536 to
    // 65543/65536 over 20 pixels. The affine drawer's 16.16 step rounds to 0 and stays on
    // texel 0; per-pixel perspective division crosses into texel 1.
    auto texture = makeTexture(2, 1, {0xFF111111, 0xFF222222});
    struct Row {
        uint32_t type;
        float rightZ;
        uint32_t first, last; // pixels 0 and 19 of row 0
    };
    const Row rows[] = {
        {PTEX, 1.0f, 0xFF111111, 0xFF111111},
        {PTEX, 1.01f, 0xFF111111, 0xFF222222},
        // The mean with a white shade: (0x11 + 0xFF) >> 1 = 0x88, (0x22 + 0xFF) >> 1 = 0x90.
        {PTEXGOURAUD, 1.0f, 0xFF888888, 0xFF888888},
        {PTEXGOURAUD, 1.01f, 0xFF888888, 0xFF909090},
    };
    const float u0 = 65535.0f / 65536.0f;
    const float u1 = 65543.0f / 65536.0f;
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::Message() << row.type << " z " << row.rightZ);
        RenderTarget target(24, 4);
        drawPolygon(target,
                    {corner(0, 0, 1.0f, u0), corner(20, 0, row.rightZ, u1),
                     corner(20, 2, row.rightZ, u1), corner(0, 2, 1.0f, u0)},
                    row.type, texture.get());
        EXPECT_EQ(target.pixel(0, 0), row.first);
        EXPECT_EQ(target.pixel(19, 0), row.last);
        for (int x = 1; x < 19 && row.rightZ == 1.0f; ++x) {
            EXPECT_EQ(target.pixel(x, 0), row.first) << x;
        }
    }
}

TEST(PolygonRaster, DegenerateInputsDrawNothing)
{
    enum Fault { None, TwoVertices, NoVertices, OneRow, NoDepth, SmallDepth, Target16, NoTarget };
    struct Row {
        const char* what;
        Fault fault;
        float dx, dy; // moves the triangle
    };
    const Row rows[] = {
        {"two vertices", TwoVertices, 0, 0},
        {"no vertex array", NoVertices, 0, 0},
        {"all on one row", OneRow, 0, 0},
        {"above the target", None, 0, -21},
        {"below the target", None, 0, 22.5f},
        {"left of the target", None, -29, 0},
        {"right of the target", None, 30, 0},
        {"no depth buffer", NoDepth, 0, 0},
        {"depth buffer narrower than the target", SmallDepth, 0, 0},
        {"16-bit target", Target16, 0, 0},
        {"empty target", NoTarget, 0, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        RenderTarget target(32, 24);
        Vertex3d corners[3] = {corner(2.5f, 1.5f), corner(28.5f, 3.5f), corner(12.5f, 20.5f)};
        Vertex3d* pointers[3] = {&corners[0], &corners[1], &corners[2]};
        for (Vertex3d& vertex : corners) {
            vertex.x += row.dx;
            vertex.y = row.fault == OneRow ? 5.25f : vertex.y + row.dy;
        }
        DepthBuffer narrow{target.depth.data(), 31, 24};
        SurfaceFormat format16 = argbFormat(32, 24, 0);
        format16.bitsPerPixel = 16;
        Polygon3d polygon;
        polygon.depthBuffer = row.fault == NoDepth      ? nullptr
                              : row.fault == SmallDepth ? &narrow
                                                        : &target.buffer;
        polygon.vertices = row.fault == NoVertices ? nullptr : pointers;
        polygon.vertexCount = row.fault == TwoVertices ? 2 : 3;
        if (row.fault == Target16) {
            target.surface.create(format16);
        } else if (row.fault == NoTarget) {
            target.surface.release();
        }
        polygon.draw(target.surface);
        EXPECT_EQ(std::count(target.depth.begin(), target.depth.end(), 0.0f),
                  static_cast<long>(target.depth.size()));
        if (row.fault != Target16 && row.fault != NoTarget) {
            EXPECT_TRUE(drawnPixels(target).empty());
        }
    }
}

TEST(PolygonRaster, AbsurdCoordinatesStayInsideTheTarget)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const std::vector<std::vector<Vertex3d>> shapes = {
        {corner(1e20f, -1e20f), corner(-1e20f, 5.0f), corner(4.0f, 1e20f)},
        {corner(nan, 2.0f), corner(10.0f, nan), corner(3.0f, 9.0f)},
        {corner(-inf, -inf), corner(inf, 3.0f), corner(2.0f, inf)},
        {corner(2.0f, 2.0f, 0.0f), corner(12.0f, 3.0f, -1.0f), corner(5.0f, 11.0f, nan)},
    };
    auto texture = makeTexture(4, 4, std::vector<uint32_t>(16, kWhite));
    for (size_t i = 0; i < shapes.size(); ++i) {
        for (const uint32_t type : {PFLAT, PGOURAUD, PTEX, PTEXGOURAUD}) {
            SCOPED_TRACE(::testing::Message() << "shape " << i << " type " << type);
            RenderTarget target(16, 12, 4);
            drawPolygon(target, shapes[i], type, texture.get());
            for (int y = 0; y < 16; ++y) {
                for (int x = 0; x < 20; ++x) {
                    if (x >= 16 || y >= 12) {
                        EXPECT_EQ(target.depthAt(x, y), 0.0f) << x << "," << y;
                    }
                }
            }
        }
    }
}

TEST(PolygonTexture, SetTextureValidatesBeforeChangingAnything)
{
    auto square = makeTexture(4, 4, std::vector<uint32_t>(16, 1));
    struct Row {
        const char* what;
        int width, height, bitsPerPixel;
        const char* error; // null when accepted
        int32_t widthMask, heightMask;
        uint32_t shift;
    };
    const Row rows[] = {
        {"1 x 1", 1, 1, 32, nullptr, 0, 0, 0},
        {"256 x 64", 256, 64, 32, nullptr, 255, 63, 8},
        {"64 x 256", 64, 256, 32, nullptr, 63, 255, 6},
        {"48 x 32", 48, 32, 32, "Polygon3d::setTexture: invalid texture dimensions", 3, 3, 2},
        {"32 x 12", 32, 12, 32, "Polygon3d::setTexture: invalid texture dimensions", 3, 3, 2},
        // The format is checked first, even though 48 is not a power of two either.
        {"24-bit", 48, 32, 24, "Polygon3d::setTexture: invalid texture format", 3, 3, 2},
        {"empty surface", 0, 0, 32, "Polygon3d::setTexture: invalid texture format", 3, 3, 2},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        Surface candidate;
        if (row.width > 0) {
            SurfaceFormat format = argbFormat(row.width, row.height, 0);
            format.bitsPerPixel = static_cast<uint32_t>(row.bitsPerPixel);
            candidate.create(format);
            ASSERT_NE(candidate.getSdlSurface(), nullptr);
        }
        Polygon3d polygon;
        polygon.setTexture(square.get());
        if (row.error) {
            try {
                polygon.setTexture(&candidate);
                ADD_FAILURE() << "accepted";
            } catch (const Exception& error) {
                EXPECT_STREQ(error.what(), row.error);
                EXPECT_EQ(error.getFile(), nullptr);
                EXPECT_EQ(error.getLine(), -1);
            }
            EXPECT_EQ(polygon.texture, square.get());
        } else {
            polygon.setTexture(&candidate);
            EXPECT_EQ(polygon.texture, &candidate);
        }
        EXPECT_EQ(polygon.textureWidthMask, row.widthMask);
        EXPECT_EQ(polygon.textureHeightMask, row.heightMask);
        EXPECT_EQ(polygon.textureWidthShift, row.shift);

        polygon.setTexture(nullptr);
        EXPECT_EQ(polygon.texture, nullptr);
        EXPECT_EQ(polygon.textureWidthMask | polygon.textureHeightMask, 0);
        EXPECT_EQ(polygon.textureWidthShift, 0u);
    }
}

TEST(PolygonDrawers, ThrowsLocatedExceptionsAndClearsTheDrawers)
{
    struct Row {
        uint32_t type;
        bool textured;
        const char* message;
        int line;
    };
    const Row rows[] = {
        {PTEX, false, "Polygon3d::setScanlineDrawer: PTEX polygon has no texture!", 2150},
        {PTEXGOURAUD, false, "Polygon3d::setScanlineDrawer: PTEX polygon has no texture!", 2150},
        {4, true, "Polygon3d::setScanlineDrawer: unknown polygon type", 2171},
        {0xFFFFFFFF, false, "Polygon3d::setScanlineDrawer: unknown polygon type", 2171},
    };
    auto texture = makeTexture(2, 2, std::vector<uint32_t>(4, kWhite));
    for (const Row& row : rows) {
        SCOPED_TRACE(row.message);
        RenderTarget target(8, 8);
        Vertex3d a = corner(0, 0), b = corner(8, 0), c = corner(0, 8);
        Vertex3d* pointers[3] = {&a, &b, &c};
        Polygon3d polygon;
        polygon.depthBuffer = &target.buffer;
        polygon.vertices = pointers;
        polygon.vertexCount = 3;
        polygon.setTexture(row.textured ? texture.get() : nullptr);
        polygon.setScanlineDrawer(); // leaves drawFlat behind
        polygon.type = row.type;
        try {
            polygon.draw(target.surface);
            ADD_FAILURE() << "no exception";
        } catch (const Exception& error) {
            EXPECT_STREQ(error.what(), row.message);
            EXPECT_STREQ(error.getFile(), "polygon");
            EXPECT_EQ(error.getLine(), row.line);
        }
        EXPECT_EQ(polygon.drawer, nullptr);
        EXPECT_EQ(polygon.affineDrawer, nullptr);
        EXPECT_TRUE(drawnPixels(target).empty());
    }
}

} // namespace
