// The scanline drawers called directly on hand-built spans, with expected pixels worked out by
// hand from the depth, shade, mean, blend and texel-addressing rules.
#include "render3d/fixed.h"
#include "render3d/polygon.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <vector>

namespace
{

// A span of up to eight pixels over a 0x00RRGGBB target and an 8-row texture of up to 64
// columns whose texel (x, y) is 0xFF000000 + y * 64 + x + 1 unless a test overrides it.
struct SpanBench {
    SpanBench()
    {
        for (uint32_t i = 0; i < texels.size(); ++i) {
            texels[i] = 0xFF000000u + i + 1;
        }
        polygon.textureWidthMask = 63;
        polygon.textureHeightMask = 7;
        polygon.textureWidthShift = 6;
        span.poly = &polygon;
        span.dest = dest.data();
        span.depth = depth.data();
        span.texels = texels.data();
        span.count = 1;
        span.attrs.invZ = 1.0f;
        span.rbMask = 0x00FF00FF;
        span.gMask = 0x0000FF00;
        span.alphaMask = 0xFF000000;
        span.rShift = 16;
        span.gShift = 8;
        span.bShift = 0;
        span.alphaShift = 24;
    }

    // One texel, read at every address.
    void useSingleTexel(uint32_t texel)
    {
        polygon.textureWidthMask = 0;
        polygon.textureHeightMask = 0;
        polygon.textureWidthShift = 0;
        texels[0] = texel;
    }

    void setShade(uint32_t r, uint32_t g, uint32_t b)
    {
        span.rFixed = static_cast<int32_t>(r << 16);
        span.gFixed = static_cast<int32_t>(g << 16);
        span.bFixed = static_cast<int32_t>(b << 16);
    }

    Polygon3d polygon;
    ScanlineSpan span;
    std::vector<uint32_t> dest = std::vector<uint32_t>(8, 0);
    std::vector<float> depth = std::vector<float>(8, 0.0f);
    std::vector<uint32_t> texels = std::vector<uint32_t>(64 * 8);
};

struct NamedDrawer {
    const char* name;
    ScanlineDrawer drawer;
};

const NamedDrawer kAllDrawers[] = {
    {"drawFlat", drawFlat},
    {"drawFlatBlend", drawFlatBlend},
    {"drawGouraud", drawGouraud},
    {"drawGouraudBlend", drawGouraudBlend},
    {"drawTexPersp", drawTexPersp},
    {"drawTexPerspMasked", drawTexPerspMasked},
    {"drawTexPerspBlend", drawTexPerspBlend},
    {"drawTexPerspBlendMasked", drawTexPerspBlendMasked},
    {"drawTexAffine", drawTexAffine},
    {"drawTexAffineMasked", drawTexAffineMasked},
    {"drawTexAffineBlend", drawTexAffineBlend},
    {"drawTexAffineBlendMasked", drawTexAffineBlendMasked},
    {"drawTexShadePersp", drawTexShadePersp},
    {"drawTexShadePerspMasked", drawTexShadePerspMasked},
    {"drawTexShadePerspBlend", drawTexShadePerspBlend},
    {"drawTexShadePerspBlendMasked", drawTexShadePerspBlendMasked},
    {"drawTexShadeAffine", drawTexShadeAffine},
    {"drawTexShadeAffineMasked", drawTexShadeAffineMasked},
    {"drawTexShadeAffineBlend", drawTexShadeAffineBlend},
    {"drawTexShadeAffineBlendMasked", drawTexShadeAffineBlendMasked},
};

TEST(ScanlineDrawer, EveryDrawerTestsDepthStrictlyAndStepsEveryPixel)
{
    for (const NamedDrawer& entry : kAllDrawers) {
        SCOPED_TRACE(entry.name);
        SpanBench bench;
        bench.useSingleTexel(0xFF204060);
        bench.setShade(0x20, 0x40, 0x60);
        bench.span.flatColor = 0xFF204060;
        bench.polygon.alpha = 255; // blending drawers then write the source colour in full
        bench.span.count = 5;
        bench.span.attrs.invZ = 0.5f;
        bench.span.attrs.invZStep = 0.25f; // 0.5, 0.75, 1.0, 1.25, 1.5
        bench.depth = {0.0f, 0.75f, 2.0f, 0.0f, 1.5f, 0.0f, 0.0f, 0.0f};
        bench.dest.assign(8, 0x00010101);
        bench.span.depth = bench.depth.data();
        bench.span.dest = bench.dest.data();
        entry.drawer(&bench.span);

        const bool drawn[8] = {true, false, false, true, false, false, false, false};
        const float expectedDepth[8] = {0.5f, 0.75f, 2.0f, 1.25f, 1.5f, 0.0f, 0.0f, 0.0f};
        for (int i = 0; i < 8; ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(bench.depth[i], expectedDepth[i]);
            if (drawn[i]) {
                EXPECT_EQ(bench.dest[i] & 0x00FFFFFFu, 0x204060u);
            } else {
                EXPECT_EQ(bench.dest[i], 0x00010101u);
            }
        }
    }
}

TEST(ScanlineDrawer, ShadeTakesBitsSixteenToTwentyThreeWithoutClamping)
{
    SpanBench bench;
    bench.span.count = 3;
    bench.span.rFixed = 0x00FF8000;     // 255.5
    bench.span.rStepFixed = 0x00008000; // 256.0, then 256.5
    bench.span.gFixed = -0x00010000;    // -1.0 has bits 16 to 23 all set
    bench.span.bFixed = 0x00203456;
    bench.span.bStepFixed = 0x00010000;
    bench.span.attrs.invZStep = 0.0f;
    drawGouraud(&bench.span);
    EXPECT_EQ(bench.dest[0], 0xFFFFFF20u);
    EXPECT_EQ(bench.dest[1], 0xFF00FF21u);
    EXPECT_EQ(bench.dest[2], 0xFF00FF22u);
}

TEST(ScanlineDrawer, BlendWeights)
{
    struct Row {
        const char* what;
        ScanlineDrawer drawer;
        uint8_t alpha;
        uint32_t source; // flat colour or the single texel
        uint32_t shade;  // 0xRRGGBB
        uint32_t old;
        uint32_t expected;
    };
    const Row rows[] = {
        // Weight 128: an even mix, rounding down.
        {"alpha 127", drawFlatBlend, 127, 0x00C86420, 0, 0, 0x00643210},
        // Towards black the red-blue product borrows from red into the byte above blue:
        // 0xFF00FF01 * 128 >> 8 = 0x00807F80, plus 0x00FFFFFF, masked: red 0x80, blue 0x7F.
        {"alpha 127 darkening", drawFlatBlend, 127, 0, 0, 0x00FFFFFF, 0x00807F7F},
        // Weight 256: the source's colour bits exactly; bits outside the masks come out 0.
        {"alpha 255", drawFlatBlend, 255, 0xAA123456, 0, 0xBB654321, 0x00123456},
        {"gouraud alpha 127", drawGouraudBlend, 127, 0, 0, 0x00FFFFFF, 0x00807F7F},
        // Texel alpha 128, polygon alpha 255: (129 * 256) >> 8 = 129, so 0xFF * 129 >> 8 = 0x80.
        {"texel alpha 128", drawTexPerspBlend, 255, 0x80FF0000, 0, 0, 0x00800000},
        {"texel alpha 128 affine", drawTexAffineBlend, 255, 0x80FF0000, 0, 0, 0x00800000},
        // Texel alpha 0: weight 0 keeps the colour but still drops the old top byte.
        {"texel alpha 0", drawTexAffineBlend, 255, 0x00FF0000, 0, 0xFF445566, 0x00445566},
        // Mean with a white shade: 0x80FF7F7F; weight (129 * 128) >> 8 = 64.
        {"shade mean alpha", drawTexShadeAffineBlend, 127, 0x01FF0000, 0xFFFFFF, 0, 0x003F1F1F},
        {"shade mean alpha persp", drawTexShadePerspBlend, 127, 0x01FF0000, 0xFFFFFF, 0,
         0x003F1F1F},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        SpanBench bench;
        bench.polygon.alpha = row.alpha;
        bench.span.flatColor = row.source;
        bench.useSingleTexel(row.source);
        bench.setShade(row.shade >> 16, (row.shade >> 8) & 0xFF, row.shade & 0xFF);
        bench.dest[0] = row.old;
        row.drawer(&bench.span);
        EXPECT_EQ(bench.dest[0], row.expected);
        EXPECT_EQ(bench.depth[0], 1.0f);
    }
}

TEST(ScanlineDrawer, ZeroTexels)
{
    struct Row {
        const char* what;
        ScanlineDrawer drawer;
        uint32_t texel;
        uint32_t old;
        uint32_t expected;
        bool depthWritten;
    };
    const uint32_t old = 0x00445566;
    const Row rows[] = {
        {"blend, no mask", drawTexPerspBlend, 0, old, old, true},
        {"affine blend, no mask", drawTexAffineBlend, 0, old, old, true},
        {"persp masked", drawTexPerspMasked, 0, old, old, false},
        {"persp blend masked", drawTexPerspBlendMasked, 0, old, old, false},
        {"affine masked", drawTexAffineMasked, 0, old, old, false},
        {"affine blend masked", drawTexAffineBlendMasked, 0, old, old, false},
        {"opaque black is not zero", drawTexAffineMasked, 0xFF000000, old, 0xFF000000, true},
        {"opaque unmasked", drawTexPersp, 0, old, 0, true},
        // Mean of texel 0 and white shade: every byte 0xFF >> 1.
        {"shade mean", drawTexShadeAffine, 0, old, 0x7F7F7F7F, true},
        {"shade mean persp", drawTexShadePersp, 0, old, 0x7F7F7F7F, true},
        // The mask looks at the raw texel, not at the mean.
        {"shade masked", drawTexShadeAffineMasked, 0, old, old, false},
        {"shade persp masked", drawTexShadePerspMasked, 0, old, old, false},
        {"shade blend masked", drawTexShadeAffineBlendMasked, 0, old, old, false},
        {"shade persp blend masked", drawTexShadePerspBlendMasked, 0, old, old, false},
        // Mean 0x7F7F7F7F, alpha 0x7F: weight (128 * 256) >> 8 = 128 over black.
        {"shade blend", drawTexShadePerspBlend, 0, 0, 0x003F3F3F, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        SpanBench bench;
        bench.polygon.alpha = 255;
        bench.useSingleTexel(row.texel);
        bench.setShade(0xFF, 0xFF, 0xFF);
        bench.dest[0] = row.old;
        bench.span.attrs.invZ = 0.5f;
        row.drawer(&bench.span);
        EXPECT_EQ(bench.dest[0], row.expected);
        EXPECT_EQ(bench.depth[0], row.depthWritten ? 0.5f : 0.0f);
    }
}

TEST(ScanlineDrawer, ShadeMeanIsBytewise)
{
    struct Row {
        uint32_t texel;
        uint32_t r, g, b;
        uint32_t expected;
    };
    const Row rows[] = {
        {0x00000000, 0xFF, 0xFF, 0xFF, 0x7F7F7F7F},
        // Shade 0xFF102030: (0x80 + 0xFF) >> 1, (0x40 + 0x10) >> 1, (0x20 + 0x20) >> 1, ...
        {0x80402010, 0x10, 0x20, 0x30, 0xBF282020},
        // Two odd bytes: (3 + 1) >> 1 = 2, so the low bits' carry must not be lost.
        {0x03030303, 0x01, 0x01, 0x01, 0x81020202},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.texel);
        SpanBench bench;
        bench.useSingleTexel(row.texel);
        bench.setShade(row.r, row.g, row.b);
        drawTexShadeAffine(&bench.span);
        EXPECT_EQ(bench.dest[0], row.expected);
    }
}

TEST(ScanlineDrawer, TextureAddressingWrapsInBothDirections)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Row {
        const char* what;
        bool perspective;
        float u, v; // texels; perspective rows divide by invZ 0.5
        int column, row;
    };
    const Row rows[] = {
        {"u -1 affine", false, -1.0f, 0.0f, 63, 0},
        {"v -1 affine", false, 0.0f, -1.0f, 0, 7},
        {"past the edge", false, 69.0f, 10.0f, 5, 2},
        {"u -1 persp", true, -1.0f, 0.0f, 63, 0},
        // -0.5 floors to texel -1, it does not truncate to 0.
        {"u -0.5 persp", true, -0.5f, -0.5f, 63, 7},
        {"v 2.5 persp", true, 3.0f, 2.5f, 3, 2},
        {"u 32767.5, in range", true, 32767.5f, 0.0f, 63, 0},
        // Beyond 32768 texels 16.16 overflows; the conversion gives 0x80000000, whose
        // integer part -32768 is column 0 (a wrapped result would be column 1).
        {"u 40001.5", true, 40001.5f, 0.0f, 0, 0},
        {"u -40001.5", true, -40001.5f, 1.0f, 0, 1},
        {"u NaN", true, nan, 1.0f, 0, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        SpanBench bench;
        if (row.perspective) {
            bench.span.attrs.invZ = 0.5f;
            bench.span.attrs.uOverZ = row.u * 0.5f;
            bench.span.attrs.vOverZ = row.v * 0.5f;
            drawTexPersp(&bench.span);
        } else {
            bench.span.uFixed = static_cast<int32_t>(row.u * 65536.0f);
            bench.span.vFixed = static_cast<int32_t>(row.v * 65536.0f);
            drawTexAffine(&bench.span);
        }
        EXPECT_EQ(bench.dest[0],
                  0xFF000000u + static_cast<uint32_t>(row.row * 64 + row.column) + 1);
    }
}

TEST(ScanlineDrawer, TextureCoordinatesStepPerPixel)
{
    SpanBench bench;
    bench.span.count = 3;
    bench.span.uStepFixed = 0x18000; // 1.5 texels
    bench.span.vFixed = 0x10000;
    drawTexAffine(&bench.span);
    EXPECT_EQ(bench.dest[0], 0xFF000000u + 64 + 1);
    EXPECT_EQ(bench.dest[1], 0xFF000000u + 64 + 1 + 1);
    EXPECT_EQ(bench.dest[2], 0xFF000000u + 64 + 3 + 1);

    SpanBench persp;
    persp.span.count = 3;
    persp.span.attrs.invZ = 0.5f;
    persp.span.attrs.invZStep = 0.5f; // u = uOverZ / invZ: 0 / 0.5, 2 / 1.0, 4 / 1.5
    persp.span.attrs.uOverZStep = 2.0f;
    drawTexPersp(&persp.span);
    EXPECT_EQ(persp.dest[0], 0xFF000000u + 0 + 1);
    EXPECT_EQ(persp.dest[1], 0xFF000000u + 2 + 1);
    EXPECT_EQ(persp.dest[2], 0xFF000000u + 2 + 1); // 2.67 texels
}

TEST(FixedPoint, RoundsToNearestEvenAndSaturatesToIndefinite)
{
    struct Row {
        float value;
        int32_t expected;
    };
    const float tick = 1.0f / 65536.0f;
    const Row rows[] = {
        {0.5f * tick, 0},
        {1.5f * tick, 2},
        {2.5f * tick, 2},
        {-0.5f * tick, 0},
        {-1.5f * tick, -2},
        {0.75f * tick, 1},
        {255.5f, 0x00FF8000},
        {-1.0f, -65536},
        {-32768.0f, INT32_MIN},
        {32767.998046875f, 2147483520}, // the largest float below 32768
        {32768.0f, INT32_MIN},
        {1.0e20f, INT32_MIN},
        {-1.0e20f, INT32_MIN},
        {std::numeric_limits<float>::infinity(), INT32_MIN},
        {std::numeric_limits<float>::quiet_NaN(), INT32_MIN},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.value);
        EXPECT_EQ(toFixed(row.value), row.expected);
    }
}

} // namespace
