// The row drawers' template, compiled once per instruction set with that set's vector type V.
// First the running float values of every row are stepped ahead in lanes, a chunk of pixels at
// a time, and turned back to one array per row; then each row's pixels go through the pipeline
// a vector of neighbouring pixels at a time, which the integer stepping allows.
#pragma once

#include "render3d/pixel.h"
#include "render3d/rows.h"

namespace
{

const int32_t kChunk = 64; // pixels of every row stepped ahead at a time

// Per row: 1/z and, for perspective drawers, the 16.16 texture coordinates of kChunk pixels.
struct Chunk {
    alignas(64) float invZ[kMaxRows][kChunk];
    alignas(64) int32_t u[kMaxRows][kChunk];
    alignas(64) int32_t v[kMaxRows][kChunk];
};

template <class V>
struct Lanes {
    typename V::F invZ, invZStep, uOverZ, uOverZStep, vOverZ, vOverZStep;
};

template <class V>
typename V::F laneValues(const ScanlineSpan* spans, int rows, float Interpolants::*field)
{
    alignas(64) float values[V::kLanes] = {};
    for (int k = 0; k < rows; ++k) {
        values[k] = spans[k].attrs.*field;
    }
    return V::load(values);
}

// Steps every lane pixels times (rounded up to whole vectors), exactly as the scalar loop's
// invZ += invZStep; u and v are fx(uOverZ / invZ), fx(vOverZ / invZ) as there.
template <class V, bool Perspective>
void stepLanes(Lanes<V>& s, int32_t pixels, Chunk& out)
{
    using F = typename V::F;
    for (int32_t j = 0; j < pixels; j += V::kLanes) {
        F z[V::kLanes], u[V::kLanes], v[V::kLanes];
        for (int t = 0; t < V::kLanes; ++t) {
            z[t] = s.invZ;
            if constexpr (Perspective) {
                u[t] = V::fixedOf(s.uOverZ, s.invZ);
                v[t] = V::fixedOf(s.vOverZ, s.invZ);
                s.uOverZ = V::add(s.uOverZ, s.uOverZStep);
                s.vOverZ = V::add(s.vOverZ, s.vOverZStep);
            }
            s.invZ = V::add(s.invZ, s.invZStep);
        }
        V::transposeStore(z, &out.invZ[0][j], kChunk);
        if constexpr (Perspective) {
            V::transposeStore(u, reinterpret_cast<float*>(&out.u[0][j]), kChunk);
            V::transposeStore(v, reinterpret_cast<float*>(&out.v[0][j]), kChunk);
        }
    }
}

// The pixel pipeline of pixel.h on V::kLanes neighbouring pixels of one row, lane by lane the
// same integer arithmetic.
template <class V>
typename V::I fetchTexels(const uint32_t* texels, typename V::I u, typename V::I v,
                          const SpanConstants& c)
{
    const auto column = V::and_(V::template sra<16>(u), V::splat(c.widthMask));
    const auto row = V::and_(V::template sra<16>(v), V::splat(c.heightMask));
    return V::gather(texels, V::add(V::sll(row, c.widthShift), column));
}

template <class V>
typename V::I shadeColors(typename V::I r, typename V::I g, typename V::I b, const SpanConstants& c)
{
    const auto byte = V::splat(0xFFu);
    return V::or_(
        V::or_(V::sll(V::and_(V::template srl<16>(b), byte), c.bShift),
               V::sll(V::and_(V::template srl<16>(g), byte), c.gShift)),
        V::or_(V::sll(V::and_(V::template srl<16>(r), byte), c.rShift), V::splat(0xFF000000u)));
}

template <class V>
typename V::I blendColors(typename V::I s, typename V::I d, typename V::I w, const SpanConstants& c)
{
    const auto rbMask = V::splat(c.rbMask);
    const auto gMask = V::splat(c.gMask);
    const auto rbDelta = V::mullo(V::sub(V::and_(s, rbMask), V::and_(d, rbMask)), w);
    const auto rb = V::and_(rbMask, V::add(d, V::template srl<8>(rbDelta)));
    const auto dg = V::and_(d, gMask);
    const auto gDelta = V::mullo(V::sub(V::and_(s, gMask), dg), w);
    return V::or_(rb, V::and_(gMask, V::add(dg, V::template srl<8>(gDelta))));
}

template <class V, uint32_t Type, bool Blend>
typename V::I shadePixels(const SpanConstants& c, typename V::I texel, typename V::I r,
                          typename V::I g, typename V::I b, typename V::I d)
{
    constexpr bool textured = Type == PTEX || Type == PTEXGOURAUD;
    typename V::I source;
    if constexpr (Type == PFLAT) {
        source = V::splat(c.flatColor);
    } else if constexpr (Type == PGOURAUD) {
        source = shadeColors<V>(r, g, b, c);
    } else if constexpr (Type == PTEX) {
        source = texel;
    } else {
        const auto shade = shadeColors<V>(r, g, b, c);
        const auto even = V::splat(0xFEFEFEFEu);
        source = V::add(V::add(V::template srl<1>(V::and_(texel, even)),
                               V::template srl<1>(V::and_(shade, even))),
                        V::and_(V::and_(texel, shade), V::splat(0x01010101u)));
    }
    if constexpr (Blend) {
        auto weight = V::splat(c.polyWeight);
        if constexpr (textured) {
            const auto texelAlpha = V::srl(V::and_(source, V::splat(c.alphaMask)), c.alphaShift);
            const auto scaled =
                V::template srl<8>(V::mullo(V::add(texelAlpha, V::splat(1)), weight));
            weight = V::select(V::equal(texelAlpha, V::splat(0)), V::splat(0), scaled);
        }
        return blendColors<V>(source, d, weight, c);
    }
    return source;
}

// Pixels from to to of one row, with 1/z, u and v from the chunk (index 0 is pixel from):
// whole vectors of neighbouring pixels, then the rest one by one. A vector stores every pixel
// it covers, an undrawn one with its old value.
template <class V, uint32_t Type, Stepping Step, bool Blend, bool Mask>
void drawChunk(const ScanlineSpan& span, const SpanConstants& c, const float* invZs,
               const int32_t* us, const int32_t* vs, int32_t from, int32_t to)
{
    using I = typename V::I;
    float* const depth = span.depth + from;
    uint32_t* const dest = span.dest + from;
    const uint32_t* const texels = span.texels;
    const uint32_t start = static_cast<uint32_t>(from);
    const uint32_t rStep = static_cast<uint32_t>(span.rStepFixed);
    const uint32_t gStep = static_cast<uint32_t>(span.gStepFixed);
    const uint32_t bStep = static_cast<uint32_t>(span.bStepFixed);
    const uint32_t uStep = static_cast<uint32_t>(span.uStepFixed);
    const uint32_t vStep = static_cast<uint32_t>(span.vStepFixed);
    uint32_t rFixed = static_cast<uint32_t>(span.rFixed) + start * rStep;
    uint32_t gFixed = static_cast<uint32_t>(span.gFixed) + start * gStep;
    uint32_t bFixed = static_cast<uint32_t>(span.bFixed) + start * bStep;
    uint32_t uFixed = static_cast<uint32_t>(span.uFixed) + start * uStep;
    uint32_t vFixed = static_cast<uint32_t>(span.vFixed) + start * vStep;
    const int32_t count = to - from;
    constexpr int32_t lanes = V::kLanes;

    // Eight rows at a time are more streams than the hardware prefetcher follows: ask for the
    // row's next chunk while this one is drawn.
    for (int32_t line = 0; line < kChunk; line += 16) {
        __builtin_prefetch(dest + kChunk + line, 1);
        __builtin_prefetch(depth + kChunk + line, 1);
    }
    int32_t i = 0;
    if (count >= lanes) {
        I r = V::ramp(rFixed, rStep), g = V::ramp(gFixed, gStep), b = V::ramp(bFixed, bStep);
        I u = V::ramp(uFixed, uStep), v = V::ramp(vFixed, vStep);
        const uint32_t n = static_cast<uint32_t>(lanes);
        const I rLanes = V::splat(n * rStep), gLanes = V::splat(n * gStep);
        const I bLanes = V::splat(n * bStep), uLanes = V::splat(n * uStep);
        const I vLanes = V::splat(n * vStep);
        for (; i + lanes <= count; i += lanes) {
            const auto z = V::loadF(invZs + i);
            const auto d = V::loadF(depth + i);
            I drawn = V::greater(z, d);
            I texel = V::splat(0);
            if constexpr (Step == Stepping::Perspective) {
                texel = fetchTexels<V>(texels, V::load(us + i), V::load(vs + i), c);
            } else if constexpr (Step == Stepping::Affine) {
                texel = fetchTexels<V>(texels, u, v, c);
                u = V::add(u, uLanes);
                v = V::add(v, vLanes);
            }
            if constexpr (Mask) {
                drawn = V::select(V::equal(texel, V::splat(0)), V::splat(0), drawn);
            }
            const I old = V::load(dest + i);
            const I pixel = shadePixels<V, Type, Blend>(c, texel, r, g, b, old);
            V::store(dest + i, V::select(drawn, pixel, old));
            V::storeF(depth + i, V::selectF(drawn, z, d));
            r = V::add(r, rLanes);
            g = V::add(g, gLanes);
            b = V::add(b, bLanes);
        }
        const uint32_t done = static_cast<uint32_t>(i);
        rFixed += done * rStep;
        gFixed += done * gStep;
        bFixed += done * bStep;
        uFixed += done * uStep;
        vFixed += done * vStep;
    }
    for (; i < count; ++i) {
        const float z = invZs[i];
        uint32_t texel = 0;
        if constexpr (Step == Stepping::Perspective) {
            texel = fetchTexel(texels, us[i], vs[i], c.widthMask, c.heightMask, c.widthShift);
        } else if constexpr (Step == Stepping::Affine) {
            texel = fetchTexel(texels, static_cast<int32_t>(uFixed), static_cast<int32_t>(vFixed),
                               c.widthMask, c.heightMask, c.widthShift);
        }
        if (z > depth[i] && (!Mask || texel != 0)) {
            dest[i] = shadePixel<Type, Blend>(c, texel, rFixed, gFixed, bFixed, dest[i]);
            depth[i] = z;
        }
        uFixed += uStep;
        vFixed += vStep;
        rFixed += rStep;
        gFixed += gStep;
        bFixed += bStep;
    }
}

template <class V, uint32_t Type, Stepping Step, bool Blend, bool Mask>
void drawRows(const ScanlineSpan* spans, int rows)
{
    static_assert(V::kLanes <= kMaxRows, "one row per lane");
    Lanes<V> lanes{laneValues<V>(spans, rows, &Interpolants::invZ),
                   laneValues<V>(spans, rows, &Interpolants::invZStep),
                   laneValues<V>(spans, rows, &Interpolants::uOverZ),
                   laneValues<V>(spans, rows, &Interpolants::uOverZStep),
                   laneValues<V>(spans, rows, &Interpolants::vOverZ),
                   laneValues<V>(spans, rows, &Interpolants::vOverZStep)};
    int32_t longest = 0;
    for (int k = 0; k < rows; ++k) {
        longest = spans[k].count > longest ? spans[k].count : longest;
    }
    const SpanConstants c = spanConstants<Type, Blend>(spans[0]);
    Chunk chunk;
    for (int32_t from = 0; from < longest; from += kChunk) {
        const int32_t pixels = longest - from < kChunk ? longest - from : kChunk;
        stepLanes<V, Step == Stepping::Perspective>(lanes, pixels, chunk);
        for (int k = 0; k < rows; ++k) {
            const int32_t to = spans[k].count < from + pixels ? spans[k].count : from + pixels;
            if (to > from) {
                drawChunk<V, Type, Step, Blend, Mask>(spans[k], c, chunk.invZ[k], chunk.u[k],
                                                      chunk.v[k], from, to);
            }
        }
    }
}

// In the order of polygon.h.
template <class V>
const RowsDrawer kRowsDrawers[20] = {
    drawRows<V, PFLAT, Stepping::None, false, false>,
    drawRows<V, PFLAT, Stepping::None, true, false>,
    drawRows<V, PGOURAUD, Stepping::None, false, false>,
    drawRows<V, PGOURAUD, Stepping::None, true, false>,
    drawRows<V, PTEX, Stepping::Perspective, false, false>,
    drawRows<V, PTEX, Stepping::Perspective, false, true>,
    drawRows<V, PTEX, Stepping::Perspective, true, false>,
    drawRows<V, PTEX, Stepping::Perspective, true, true>,
    drawRows<V, PTEX, Stepping::Affine, false, false>,
    drawRows<V, PTEX, Stepping::Affine, false, true>,
    drawRows<V, PTEX, Stepping::Affine, true, false>,
    drawRows<V, PTEX, Stepping::Affine, true, true>,
    drawRows<V, PTEXGOURAUD, Stepping::Perspective, false, false>,
    drawRows<V, PTEXGOURAUD, Stepping::Perspective, false, true>,
    drawRows<V, PTEXGOURAUD, Stepping::Perspective, true, false>,
    drawRows<V, PTEXGOURAUD, Stepping::Perspective, true, true>,
    drawRows<V, PTEXGOURAUD, Stepping::Affine, false, false>,
    drawRows<V, PTEXGOURAUD, Stepping::Affine, false, true>,
    drawRows<V, PTEXGOURAUD, Stepping::Affine, true, false>,
    drawRows<V, PTEXGOURAUD, Stepping::Affine, true, true>,
};

} // namespace
