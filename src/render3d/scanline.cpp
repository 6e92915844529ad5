// The scanline drawers: one pixel pipeline (depth test, texel fetch, masking, colour, write or
// blend, depth write, step) whose stages are chosen at compile time, instantiated twenty times.
#include "render3d/fixed.h"
#include "render3d/polygon.h"

namespace
{

enum class Stepping { None, Perspective, Affine };

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

template <uint32_t Type, Stepping Step, bool Blend, bool Mask>
void drawSpan(const ScanlineSpan* span)
{
    constexpr bool textured = Type == PTEX || Type == PTEXGOURAUD;
    constexpr bool shaded = Type == PGOURAUD || Type == PTEXGOURAUD;
    static_assert(textured == (Step != Stepping::None), "textured drawers step u and v");
    static_assert(textured || !Mask, "only textured drawers mask zero texels");

    const int32_t count = span->count;
    float invZ = span->attrs.invZ;
    const float invZStep = span->attrs.invZStep;
    float* const depth = span->depth;
    uint32_t* const dest = span->dest;
    const uint32_t flatColor = span->flatColor;

    // Colour steps wrap in uint32_t; only bits 16 to 23 are ever read.
    uint32_t rFixed = static_cast<uint32_t>(span->rFixed);
    uint32_t gFixed = static_cast<uint32_t>(span->gFixed);
    uint32_t bFixed = static_cast<uint32_t>(span->bFixed);
    const uint32_t rStepFixed = static_cast<uint32_t>(span->rStepFixed);
    const uint32_t gStepFixed = static_cast<uint32_t>(span->gStepFixed);
    const uint32_t bStepFixed = static_cast<uint32_t>(span->bStepFixed);
    const uint32_t rShift = span->rShift;
    const uint32_t gShift = span->gShift;
    const uint32_t bShift = span->bShift;

    const Polygon3d* const poly = span->poly;
    const uint32_t* const texels = span->texels;
    uint32_t widthMask = 0;
    uint32_t heightMask = 0;
    uint32_t widthShift = 0;
    if constexpr (textured) {
        widthMask = static_cast<uint32_t>(poly->textureWidthMask);
        heightMask = static_cast<uint32_t>(poly->textureHeightMask);
        widthShift = poly->textureWidthShift;
    }
    float uOverZ = span->attrs.uOverZ;
    float vOverZ = span->attrs.vOverZ;
    const float uOverZStep = span->attrs.uOverZStep;
    const float vOverZStep = span->attrs.vOverZStep;
    uint32_t uFixed = static_cast<uint32_t>(span->uFixed); // 16.16, wraps
    uint32_t vFixed = static_cast<uint32_t>(span->vFixed);
    const uint32_t uStepFixed = static_cast<uint32_t>(span->uStepFixed);
    const uint32_t vStepFixed = static_cast<uint32_t>(span->vStepFixed);

    const uint32_t rbMask = span->rbMask;
    const uint32_t gMask = span->gMask;
    const uint32_t alphaMask = span->alphaMask;
    const uint32_t alphaShift = span->alphaShift;
    uint32_t polyWeight = 0;
    if constexpr (Blend) {
        // Untextured: (alpha + 1) / 256. Textured: the polygon's factor, 0 for alpha 0.
        const uint32_t alpha = poly->alpha;
        polyWeight = (textured && alpha == 0) ? 0 : alpha + 1;
    }

    const auto step = [&] {
        invZ += invZStep;
        if constexpr (Step == Stepping::Perspective) {
            uOverZ += uOverZStep;
            vOverZ += vOverZStep;
        } else if constexpr (Step == Stepping::Affine) {
            uFixed += uStepFixed;
            vFixed += vStepFixed;
        }
        if constexpr (shaded) {
            rFixed += rStepFixed;
            gFixed += gStepFixed;
            bFixed += bStepFixed;
        }
    };

    for (int32_t i = 0; i < count; ++i, step()) {
        // Strictly nearer only: equal depth never overwrites.
        if (!(invZ > depth[i])) {
            continue;
        }
        uint32_t texel = 0;
        if constexpr (Step == Stepping::Perspective) {
            // The perspective division is paid only by pixels that pass the depth test.
            texel = fetchTexel(texels, toFixed(uOverZ / invZ), toFixed(vOverZ / invZ), widthMask,
                               heightMask, widthShift);
        } else if constexpr (Step == Stepping::Affine) {
            texel = fetchTexel(texels, static_cast<int32_t>(uFixed), static_cast<int32_t>(vFixed),
                               widthMask, heightMask, widthShift);
        }
        if constexpr (Mask) {
            if (texel == 0) {
                continue;
            }
        }
        uint32_t source = 0;
        if constexpr (Type == PFLAT) {
            source = flatColor;
        } else if constexpr (Type == PGOURAUD) {
            source = shadeColor(rFixed, gFixed, bFixed, rShift, gShift, bShift);
        } else if constexpr (Type == PTEX) {
            source = texel;
        } else {
            source = byteMean(texel, shadeColor(rFixed, gFixed, bFixed, rShift, gShift, bShift));
        }
        if constexpr (Blend) {
            uint32_t weight = polyWeight;
            if constexpr (textured) {
                const uint32_t texelAlpha = (source & alphaMask) >> alphaShift;
                weight = texelAlpha == 0 ? 0 : ((texelAlpha + 1) * polyWeight) >> 8;
            }
            dest[i] = blend(source, dest[i], weight, rbMask, gMask);
        } else {
            dest[i] = source;
        }
        // Written even at weight 0: a clear texel still hides what is drawn behind it later.
        depth[i] = invZ;
    }
}

} // namespace

void drawFlat(const ScanlineSpan* span)
{
    drawSpan<PFLAT, Stepping::None, false, false>(span);
}
void drawFlatBlend(const ScanlineSpan* span)
{
    drawSpan<PFLAT, Stepping::None, true, false>(span);
}
void drawGouraud(const ScanlineSpan* span)
{
    drawSpan<PGOURAUD, Stepping::None, false, false>(span);
}
void drawGouraudBlend(const ScanlineSpan* span)
{
    drawSpan<PGOURAUD, Stepping::None, true, false>(span);
}
void drawTexPersp(const ScanlineSpan* span)
{
    drawSpan<PTEX, Stepping::Perspective, false, false>(span);
}
void drawTexPerspMasked(const ScanlineSpan* span)
{
    drawSpan<PTEX, Stepping::Perspective, false, true>(span);
}
void drawTexPerspBlend(const ScanlineSpan* span)
{
    drawSpan<PTEX, Stepping::Perspective, true, false>(span);
}
void drawTexPerspBlendMasked(const ScanlineSpan* span)
{
    drawSpan<PTEX, Stepping::Perspective, true, true>(span);
}
void drawTexAffine(const ScanlineSpan* span)
{
    drawSpan<PTEX, Stepping::Affine, false, false>(span);
}
void drawTexAffineMasked(const ScanlineSpan* span)
{
    drawSpan<PTEX, Stepping::Affine, false, true>(span);
}
void drawTexAffineBlend(const ScanlineSpan* span)
{
    drawSpan<PTEX, Stepping::Affine, true, false>(span);
}
void drawTexAffineBlendMasked(const ScanlineSpan* span)
{
    drawSpan<PTEX, Stepping::Affine, true, true>(span);
}
void drawTexShadePersp(const ScanlineSpan* span)
{
    drawSpan<PTEXGOURAUD, Stepping::Perspective, false, false>(span);
}
void drawTexShadePerspMasked(const ScanlineSpan* span)
{
    drawSpan<PTEXGOURAUD, Stepping::Perspective, false, true>(span);
}
void drawTexShadePerspBlend(const ScanlineSpan* span)
{
    drawSpan<PTEXGOURAUD, Stepping::Perspective, true, false>(span);
}
void drawTexShadePerspBlendMasked(const ScanlineSpan* span)
{
    drawSpan<PTEXGOURAUD, Stepping::Perspective, true, true>(span);
}
void drawTexShadeAffine(const ScanlineSpan* span)
{
    drawSpan<PTEXGOURAUD, Stepping::Affine, false, false>(span);
}
void drawTexShadeAffineMasked(const ScanlineSpan* span)
{
    drawSpan<PTEXGOURAUD, Stepping::Affine, false, true>(span);
}
void drawTexShadeAffineBlend(const ScanlineSpan* span)
{
    drawSpan<PTEXGOURAUD, Stepping::Affine, true, false>(span);
}
void drawTexShadeAffineBlendMasked(const ScanlineSpan* span)
{
    drawSpan<PTEXGOURAUD, Stepping::Affine, true, true>(span);
}
