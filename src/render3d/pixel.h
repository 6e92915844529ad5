// The stages of the one pixel pipeline (texel fetch, shade, mean, weight, blend), shared by the
// scalar drawers and the vector paths' row loops so that every path computes the same pixels.
#pragma once

#include "render3d/raster.h"
#include "tarvo/render3d/polygon.h"

#include <cstdint>

namespace tarvo
{

// Internal linkage on purpose: the vector paths compile this header with wider instruction sets,
// and a shared inline definition could hand their code to a processor that lacks them.
namespace
{

// Texel of a power-of-two texture at 16.16 coordinates. Shifts are arithmetic, so negative
// coordinates wrap as well: u = -1.0 is the last column. Row (v >> 16) AND heightMask,
// shifted up by widthShift, is the same index as masking v >> (16 - widthShift) but stays
// defined for textures wider than 65536.
inline uint32_t fetchTexel(const uint32_t* texels, int32_t u, int32_t v, uint32_t widthMask,
                           uint32_t heightMask, uint32_t widthShift)
{
    const uint32_t column = static_cast<uint32_t>(u >> 16) & widthMask;
    const uint32_t row = static_cast<uint32_t>(v >> 16) & heightMask;
    return texels[(row << widthShift) + column];
}

// Bits 16 to 23 of each running channel, unclamped: a channel that steps past 255 wraps.
inline uint32_t shadeColor(uint32_t rFixed, uint32_t gFixed, uint32_t bFixed, uint32_t rShift,
                           uint32_t gShift, uint32_t bShift)
{
    return (((bFixed >> 16) & 0xFFu) << bShift) | (((gFixed >> 16) & 0xFFu) << gShift) |
           (((rFixed >> 16) & 0xFFu) << rShift) | 0xFF000000u;
}

// Byte-wise (a + b) >> 1 of all four bytes at once, with no carry between bytes.
inline uint32_t byteMean(uint32_t a, uint32_t b)
{
    return ((a & 0xFEFEFEFEu) >> 1) + ((b & 0xFEFEFEFEu) >> 1) + (a & b & 0x01010101u);
}

// Weight w of 0..256 moves d towards s: red and blue in one multiply, green in another. The
// red-blue part adds the whole of d and masks afterwards; bits outside both masks become 0.
inline uint32_t blend(uint32_t s, uint32_t d, uint32_t w, uint32_t rbMask, uint32_t gMask)
{
    const uint32_t rb = rbMask & (d + ((((s & rbMask) - (d & rbMask)) * w) >> 8));
    const uint32_t g = gMask & ((d & gMask) + ((((s & gMask) - (d & gMask)) * w) >> 8));
    return rb | g;
}

// What a drawer reads once per span, besides the running values.
struct SpanConstants {
    uint32_t flatColor, rShift, gShift, bShift, rbMask, gMask, alphaMask, alphaShift;
    uint32_t widthMask = 0, heightMask = 0, widthShift = 0;
    uint32_t polyWeight = 0;
};

template <uint32_t Type, bool Blend>
SpanConstants spanConstants(const ScanlineSpan& span)
{
    constexpr bool textured = Type == PTEX || Type == PTEXGOURAUD;
    SpanConstants c{span.flatColor, span.rShift, span.gShift,    span.bShift,
                    span.rbMask,    span.gMask,  span.alphaMask, span.alphaShift};
    const Polygon3d* const poly = span.poly;
    if constexpr (textured) {
        c.widthMask = static_cast<uint32_t>(poly->textureWidthMask);
        c.heightMask = static_cast<uint32_t>(poly->textureHeightMask);
        c.widthShift = poly->textureWidthShift;
    }
    if constexpr (Blend) {
        // Untextured: (alpha + 1) / 256. Textured: the polygon's factor, 0 for alpha 0.
        const uint32_t alpha = poly->alpha;
        c.polyWeight = (textured && alpha == 0) ? 0 : alpha + 1;
    }
    return c;
}

// The pixel a drawn pixel becomes: source colour from the texel and the running channels,
// written or blended over the old pixel d.
template <uint32_t Type, bool Blend>
inline uint32_t shadePixel(const SpanConstants& c, uint32_t texel, uint32_t rFixed, uint32_t gFixed,
                           uint32_t bFixed, uint32_t d)
{
    constexpr bool textured = Type == PTEX || Type == PTEXGOURAUD;
    uint32_t source = 0;
    if constexpr (Type == PFLAT) {
        source = c.flatColor;
    } else if constexpr (Type == PGOURAUD) {
        source = shadeColor(rFixed, gFixed, bFixed, c.rShift, c.gShift, c.bShift);
    } else if constexpr (Type == PTEX) {
        source = texel;
    } else {
        source = byteMean(texel, shadeColor(rFixed, gFixed, bFixed, c.rShift, c.gShift, c.bShift));
    }
    if constexpr (Blend) {
        uint32_t weight = c.polyWeight;
        if constexpr (textured) {
            const uint32_t texelAlpha = (source & c.alphaMask) >> c.alphaShift;
            weight = texelAlpha == 0 ? 0 : ((texelAlpha + 1) * c.polyWeight) >> 8;
        }
        return blend(source, d, weight, c.rbMask, c.gMask);
    }
    return source;
}

} // namespace

} // namespace tarvo
