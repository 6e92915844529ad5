// The scanline drawers: one pixel pipeline (depth test, texel fetch, masking, colour, write or
// blend, depth write, step) whose stages are chosen at compile time, instantiated twenty times.
#include "render3d/drawers.h"
#include "render3d/fixed.h"
#include "render3d/pixel.h"
#include "render3d/raster.h"
#include "tarvo/render3d/polygon.h"

namespace tarvo
{

namespace
{

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
    const SpanConstants c = spanConstants<Type, Blend>(*span);
    const uint32_t* const texels = span->texels;

    // Colour steps wrap in uint32_t; only bits 16 to 23 are ever read.
    uint32_t rFixed = static_cast<uint32_t>(span->rFixed);
    uint32_t gFixed = static_cast<uint32_t>(span->gFixed);
    uint32_t bFixed = static_cast<uint32_t>(span->bFixed);
    const uint32_t rStepFixed = static_cast<uint32_t>(span->rStepFixed);
    const uint32_t gStepFixed = static_cast<uint32_t>(span->gStepFixed);
    const uint32_t bStepFixed = static_cast<uint32_t>(span->bStepFixed);

    float uOverZ = span->attrs.uOverZ;
    float vOverZ = span->attrs.vOverZ;
    const float uOverZStep = span->attrs.uOverZStep;
    const float vOverZStep = span->attrs.vOverZStep;
    uint32_t uFixed = static_cast<uint32_t>(span->uFixed); // 16.16, wraps
    uint32_t vFixed = static_cast<uint32_t>(span->vFixed);
    const uint32_t uStepFixed = static_cast<uint32_t>(span->uStepFixed);
    const uint32_t vStepFixed = static_cast<uint32_t>(span->vStepFixed);

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
            texel = fetchTexel(texels, toFixed(uOverZ / invZ), toFixed(vOverZ / invZ), c.widthMask,
                               c.heightMask, c.widthShift);
        } else if constexpr (Step == Stepping::Affine) {
            texel = fetchTexel(texels, static_cast<int32_t>(uFixed), static_cast<int32_t>(vFixed),
                               c.widthMask, c.heightMask, c.widthShift);
        }
        if constexpr (Mask) {
            if (texel == 0) {
                continue;
            }
        }
        dest[i] = shadePixel<Type, Blend>(c, texel, rFixed, gFixed, bFixed, dest[i]);
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

} // namespace tarvo
