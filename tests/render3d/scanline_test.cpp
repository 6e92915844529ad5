// The scanline drawers called directly on hand-built spans, expected pixels worked out by hand.
#include "render3d/drawers.h"
#include "render3d/fixed.h"
#include "render3d/raster.h"
#include "tarvo/render3d/polygon.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <limits>
#include <numeric>
#include <vector>

using namespace tarvo;

namespace
{

// A span over a 0x00RRGGBB target and a 64 x 8 texture whose texel (x, y) is
// 0xFF000000 + y * 64 + x + 1, unless useSingleTexel replaces it.
struct SpanBench {
    SpanBench()
    {
        std::iota(texels.begin(), texels.end(), 0xFF000001u);
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
        span.alphaShift = 24;
    }
    void useSingleTexel(uint32_t texel)
    {
        polygon.textureWidthMask = polygon.textureHeightMask = 0;
        polygon.textureWidthShift = 0;
        texels[0] = texel;
    }

    Polygon3d polygon;
    ScanlineSpan span;
    std::vector<uint32_t> dest = std::vector<uint32_t>(8, 0);
    std::vector<float> depth = std::vector<float>(8, 0.0f);
    std::vector<uint32_t> texels = std::vector<uint32_t>(64 * 8);
};

TEST(ScanlineDrawer, EveryDrawerTestsDepthStrictlyAndStepsEveryPixel)
{
    for (int drawer = 0; drawer < kDrawerCount; ++drawer) {
        SCOPED_TRACE(drawer); // the index in kDrawers
        SpanBench bench;
        bench.useSingleTexel(0xFF204060);
        bench.span.rFixed = 0x20 << 16;
        bench.span.gFixed = 0x40 << 16;
        bench.span.bFixed = 0x60 << 16;
        bench.span.flatColor = 0xFF204060;
        bench.polygon.alpha = 255; // blending drawers then write the source colour in full
        bench.span.count = 5;
        bench.span.attrs.invZ = 0.5f;
        bench.span.attrs.invZStep = 0.25f; // 0.5, 0.75, 1.0, 1.25, 1.5; equal depth loses
        const float depth[8] = {0.0f, 0.75f, 2.0f, 0.0f, 1.5f, 0.0f, 0.0f, 0.0f};
        std::copy_n(depth, 8, bench.depth.begin());
        bench.dest.assign(8, 0x00010101); // in place: the span's pointers stay good
        kDrawers[drawer].scalar(&bench.span);

        const float expectedDepth[8] = {0.5f, 0.75f, 2.0f, 1.25f, 1.5f, 0.0f, 0.0f, 0.0f};
        for (int i = 0; i < 8; ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(bench.depth[i], expectedDepth[i]);
            const bool drawn = i == 0 || i == 3;
            EXPECT_EQ(bench.dest[i] & (drawn ? 0x00FFFFFFu : ~0u), drawn ? 0x204060u : 0x00010101u);
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
    drawGouraud(&bench.span);
    EXPECT_EQ(bench.dest[0], 0xFFFFFF20u);
    EXPECT_EQ(bench.dest[1], 0xFF00FF21u);
    EXPECT_EQ(bench.dest[2], 0xFF00FF22u);
}

// Blend weights, texel alpha, the shade mean and zero texels are compared with the reference
// rasteriser; its random texels are never opaque black, which masking must still draw.
TEST(ScanlineDrawer, MaskingSkipsOnlyTheZeroTexel)
{
    for (const uint32_t texel : {0x00000000u, 0xFF000000u}) {
        SpanBench bench;
        bench.useSingleTexel(texel);
        bench.dest[0] = 0x00445566;
        drawTexAffineMasked(&bench.span);
        EXPECT_EQ(bench.dest[0], texel ? texel : 0x00445566u);
        EXPECT_EQ(bench.depth[0], texel ? 1.0f : 0.0f);
    }
}

TEST(ScanlineDrawer, TextureAddressingWrapsInBothDirections)
{
    struct Row {
        const char* what;
        bool perspective;
        float u, v; // texels; perspective rows divide by invZ 0.5
        int column, row;
    };
    const Row rows[] = {
        {"u -1 affine", false, -1.0f, 0.0f, 63, 0},
        {"-0.5 floors, not truncates", true, -0.5f, -0.5f, 63, 7},
        {"u 32767.5, in range", true, 32767.5f, 2.5f, 63, 2},
        // Beyond 32768 texels 16.16 overflows to 0x80000000: column 0 (wrapping gives 1).
        {"u 40001.5", true, 40001.5f, 0.0f, 0, 0},
        {"u NaN", true, std::numeric_limits<float>::quiet_NaN(), 1.0f, 0, 1},
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
                  0xFF000000u + static_cast<uint32_t>(row.row * 64 + row.column + 1));
    }
}

TEST(FixedPoint, RoundsToNearestEvenAndSaturatesToIndefinite)
{
    const float tick = 1.0f / 65536.0f, inf = std::numeric_limits<float>::infinity();
    const struct {
        float value;
        int32_t expected;
    } rows[] = {
        {0.5f * tick, 0},       {1.5f * tick, 2},
        {2.5f * tick, 2},       {-1.5f * tick, -2},
        {0.75f * tick, 1},      {-1.0f, -65536},
        {-32768.0f, INT32_MIN}, {32767.998046875f, 2147483520}, // the largest float below 32768
        {32768.0f, INT32_MIN},  {-1.0e20f, INT32_MIN},
        {inf, INT32_MIN},       {std::numeric_limits<float>::quiet_NaN(), INT32_MIN}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.value);
        EXPECT_EQ(toFixed(row.value), row.expected);
    }
}

} // namespace
