// The vector paths' template, compiled once per instruction set with that set's vector type V.
// A section's edges are walked a batch of rows at a time, each row's set-up in its own lane.
// Then the running float values of every row are stepped ahead in lanes, a chunk of pixels at
// a time, and turned back to one array per row; then each row's pixels go through the pipeline
// a vector of neighbouring pixels at a time, which the integer stepping allows.
#pragma once

#include "render3d/drawers.h"
#include "render3d/pixel.h"
#include "render3d/raster.h"
#include "render3d/rows.h"

#include <array>
#include <cstddef>
#include <utility>

namespace tarvo
{

namespace
{

const int32_t kChunk = 64; // pixels of every row stepped ahead at a time

// Per row: 1/z and, for perspective drawers, the texel index of kChunk pixels.
struct Chunk {
    alignas(64) float invZ[kMaxRows][kChunk];
    alignas(64) uint32_t texel[kMaxRows][kChunk];
};

template <class V>
struct Lanes {
    typename V::F invZ, invZStep, uOverZ, uOverZStep, vOverZ, vOverZStep;
};

// Lane k of v[t] goes to rows[k * kChunk + t].
template <class V>
void transposeStore(typename V::F* v, float* rows)
{
    V::transpose(v);
    for (int k = 0; k < V::kLanes; ++k) {
        V::storeA(rows + k * kChunk, v[k]);
    }
}

// fetchTexel's index of every lane's 16.16 coordinates.
template <class V>
typename V::I texelIndex(typename V::I u, typename V::I v, const SpanConstants& c)
{
    const auto column = V::and_(V::template sra<16>(u), V::splat(c.widthMask));
    const auto row = V::and_(V::template sra<16>(v), V::splat(c.heightMask));
    return V::add(V::sll(row, c.widthShift), column);
}

// Steps every lane pixels times (rounded up to whole vectors), exactly as the scalar loop's
// invZ += invZStep; texture coordinates are fx(uOverZ / invZ), fx(vOverZ / invZ) as there, kept
// as the texel index they address.
template <class V, bool Perspective>
void stepLanes(Lanes<V>& s, int32_t pixels, const SpanConstants& c, Chunk& out)
{
    using F = typename V::F;
    for (int32_t j = 0; j < pixels; j += V::kLanes) {
        F z[V::kLanes], texel[V::kLanes];
        for (int t = 0; t < V::kLanes; ++t) {
            z[t] = s.invZ;
            if constexpr (Perspective) {
                const auto u = V::fixedOf(s.uOverZ, s.invZ);
                const auto v = V::fixedOf(s.vOverZ, s.invZ);
                texel[t] = V::asF(texelIndex<V>(u, v, c));
                s.uOverZ = V::add(s.uOverZ, s.uOverZStep);
                s.vOverZ = V::add(s.vOverZ, s.vOverZStep);
            }
            s.invZ = V::add(s.invZ, s.invZStep);
        }
        transposeStore<V>(z, &out.invZ[0][j]);
        if constexpr (Perspective) {
            transposeStore<V>(texel, reinterpret_cast<float*>(&out.texel[0][j]));
        }
    }
}

// The pixel pipeline of pixel.h on V::kLanes pixels, lane by lane the same integer arithmetic.
// Argb: red, green and blue at bits 16, 8 and 0, the usual 32-bit format, where the channels'
// bytes need fewer shifts.
template <class V, bool Argb>
typename V::I shadeColors(typename V::I r, typename V::I g, typename V::I b, const SpanConstants& c)
{
    const auto byte = V::splat(0xFFu);
    if constexpr (Argb) {
        return V::or_(V::or_(V::and_(r, V::splat(0xFF0000u)),
                             V::and_(V::template srl<8>(g), V::splat(0xFF00u))),
                      V::or_(V::and_(V::template srl<16>(b), byte), V::splat(0xFF000000u)));
    }
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

template <class V, uint32_t Type, bool Blend, bool Argb>
typename V::I shadePixels(const SpanConstants& c, typename V::I texel, typename V::I r,
                          typename V::I g, typename V::I b, typename V::I d)
{
    constexpr bool textured = Type == PTEX || Type == PTEXGOURAUD;
    typename V::I source;
    if constexpr (Type == PFLAT) {
        source = V::splat(c.flatColor);
    } else if constexpr (Type == PGOURAUD) {
        source = shadeColors<V, Argb>(r, g, b, c);
    } else if constexpr (Type == PTEX) {
        source = texel;
    } else {
        const auto shade = shadeColors<V, Argb>(r, g, b, c);
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

// Pixels from to to of row k, with 1/z, u and v from the chunk (index 0 is pixel from): whole
// vectors of neighbouring pixels. A vector stores every pixel it covers, an undrawn one with
// its old value.
template <class V, uint32_t Type, Stepping Step, bool Blend, bool Mask, bool Argb>
void drawChunk(const RowLanes& rows, int k, const uint32_t* texels, const SpanConstants& c,
               const float* invZs, const uint32_t* indices, int32_t from, int32_t to)
{
    using I = typename V::I;
    float* const depth = rows.depth[k] + from;
    uint32_t* const dest = rows.dest[k] + from;
    const uint32_t start = static_cast<uint32_t>(from);
    const uint32_t rStep = rows.rStepFixed[k], gStep = rows.gStepFixed[k];
    const uint32_t bStep = rows.bStepFixed[k], uStep = rows.uStepFixed[k];
    const uint32_t vStep = rows.vStepFixed[k];
    const uint32_t rFixed = rows.rFixed[k] + start * rStep;
    const uint32_t gFixed = rows.gFixed[k] + start * gStep;
    const uint32_t bFixed = rows.bFixed[k] + start * bStep;
    const uint32_t uFixed = rows.uFixed[k] + start * uStep;
    const uint32_t vFixed = rows.vFixed[k] + start * vStep;
    const int32_t count = to - from;
    constexpr int32_t lanes = V::kLanes;
    // Affine rows have invZStep = +0 or -0, so 1/z is invZ at the first pixel and invZ +
    // invZStep (which differs only for -0 or a signalling NaN) at every later one: no lanes.
    constexpr bool constantDepth = Step == Stepping::Affine;
    const float firstInvZ = rows.invZ[k];
    const float laterInvZ = rows.invZ[k] + rows.invZStep[k];
    const auto invZAt = [&](int32_t i) {
        if constexpr (constantDepth) {
            return from + i == 0 ? firstInvZ : laterInvZ;
        } else {
            return invZs[i];
        }
    };

    if (count < lanes) {
        for (int32_t i = 0; i < count; ++i) {
            const uint32_t n = static_cast<uint32_t>(i);
            const float z = invZAt(i);
            uint32_t texel = 0;
            if constexpr (Step == Stepping::Perspective) {
                texel = texels[indices[i]];
            } else if constexpr (Step == Stepping::Affine) {
                texel = fetchTexel(texels, static_cast<int32_t>(uFixed + n * uStep),
                                   static_cast<int32_t>(vFixed + n * vStep), c.widthMask,
                                   c.heightMask, c.widthShift);
            }
            if (z > depth[i] && (!Mask || texel != 0)) {
                dest[i] = shadePixel<Type, Blend>(c, texel, rFixed + n * rStep, gFixed + n * gStep,
                                                  bFixed + n * bStep, dest[i]);
                depth[i] = z;
            }
        }
        return;
    }
    // Lane j of a vector at pixel i steps i + j times: the start splatted plus j steps.
    const I rRamp = V::ramp(0, rStep), gRamp = V::ramp(0, gStep), bRamp = V::ramp(0, bStep);
    const I uRamp = V::ramp(0, uStep), vRamp = V::ramp(0, vStep);
    const auto at = [](uint32_t base, uint32_t step, int32_t i, I ramp) {
        return V::add(V::splat(base + static_cast<uint32_t>(i) * step), ramp);
    };
    // A vector's new pixels and depths, computed before anything is stored; none when no
    // lane in keep passes the depth test.
    struct Shaded {
        bool any;
        I pixel;
        typename V::F z;
    };
    const auto shadeVector = [&](int32_t i, I r, I g, I b, I u, I v, I keep) -> Shaded {
        typename V::F z;
        if constexpr (constantDepth) {
            z = V::splatF(laterInvZ);
            if (from + i == 0) {
                z = V::selectF(V::equal(V::ramp(0, 1), V::splat(0)), V::splatF(firstInvZ), z);
            }
        } else {
            z = V::loadF(invZs + i);
        }
        const auto d = V::loadF(depth + i);
        I drawn = V::and_(V::greater(z, d), keep);
        // Hidden behind what is there: nothing to fetch, and storing the old values is no change.
        if (!V::any(drawn)) {
            return {false, drawn, z};
        }
        I texel = V::splat(0);
        if constexpr (Step == Stepping::Perspective) {
            texel = V::gather(texels, V::load(indices + i));
        } else if constexpr (Step == Stepping::Affine) {
            texel = V::gather(texels, texelIndex<V>(u, v, c));
        }
        if constexpr (Mask) {
            drawn = V::select(V::equal(texel, V::splat(0)), V::splat(0), drawn);
        }
        const I old = V::load(dest + i);
        const I pixel = shadePixels<V, Type, Blend, Argb>(c, texel, r, g, b, old);
        return {true, V::select(drawn, pixel, old), V::selectF(drawn, z, d)};
    };
    const auto store = [&](int32_t i, const Shaded& shaded) {
        if (shaded.any) {
            V::store(dest + i, shaded.pixel);
            V::storeF(depth + i, shaded.z);
        }
    };
    I r = at(rFixed, rStep, 0, rRamp), g = at(gFixed, gStep, 0, gRamp);
    I b = at(bFixed, bStep, 0, bRamp), u = at(uFixed, uStep, 0, uRamp);
    I v = at(vFixed, vStep, 0, vRamp);
    const uint32_t n = static_cast<uint32_t>(lanes);
    const I rLanes = V::splat(n * rStep), gLanes = V::splat(n * gStep);
    const I bLanes = V::splat(n * bStep), uLanes = V::splat(n * uStep),
            vLanes = V::splat(n * vStep);
    const I all = V::splat(~0u);
    const int32_t tail = count % lanes;
    // Whole vectors up to the last one, which goes with the tail when there is one.
    const int32_t whole = count - tail - (tail ? lanes : 0);
    int32_t i = 0;
    for (; i < whole; i += lanes) {
        store(i, shadeVector(i, r, g, b, u, v, all));
        r = V::add(r, rLanes);
        g = V::add(g, gLanes);
        b = V::add(b, bLanes);
        u = V::add(u, uLanes);
        v = V::add(v, vLanes);
    }
    if (tail) {
        // The tail is a vector ending at the last pixel, overlapping the vector before it. Both
        // load before either stores (a load from a partly overwritten vector waits for the store
        // to retire), the overlap counts for the earlier one only, and the tail stores first so
        // that the earlier vector's stores land last there.
        alignas(64) static const int32_t kTailLanes[2 * kMaxRows] = {
            0, 0, 0, 0, 0, 0, 0, 0, -1, -1, -1, -1, -1, -1, -1, -1};
        const int32_t last = count - lanes;
        const I keep = V::load(kTailLanes + kMaxRows - lanes + tail);
        const Shaded before = shadeVector(i, r, g, b, u, v, all);
        store(last,
              shadeVector(last, at(rFixed, rStep, last, rRamp), at(gFixed, gStep, last, gRamp),
                          at(bFixed, bStep, last, bRamp), at(uFixed, uStep, last, uRamp),
                          at(vFixed, vStep, last, vRamp), keep));
        store(i, before);
    }
}

template <class V, uint32_t Type, Stepping Step, bool Blend, bool Mask, bool Argb>
void drawRowsIn(const RowLanes& rows, const ScanlineSpan& section)
{
    static_assert(V::kLanes <= kMaxRows, "one row per lane");
    Lanes<V> lanes{V::loadAF(rows.invZ),   V::loadAF(rows.invZStep),
                   V::loadAF(rows.uOverZ), V::loadAF(rows.uOverZStep),
                   V::loadAF(rows.vOverZ), V::loadAF(rows.vOverZStep)};
    int32_t longest = 0;
    for (int k = 0; k < V::kLanes; ++k) {
        longest = rows.count[k] > longest ? rows.count[k] : longest;
    }
    const SpanConstants c = spanConstants<Type, Blend>(section);
    // Every row's first pixels are fetched while the lanes step through them.
    for (int k = 0; k < V::kLanes; ++k) {
        for (int32_t line = 0; line < rows.count[k] && line < kChunk; line += 16) {
            __builtin_prefetch(rows.dest[k] + line, 1);
            __builtin_prefetch(rows.depth[k] + line, 1);
        }
    }
    Chunk chunk;
    for (int32_t from = 0; from < longest; from += kChunk) {
        const int32_t pixels = longest - from < kChunk ? longest - from : kChunk;
        if constexpr (Step != Stepping::Affine) {
            stepLanes<V, Step == Stepping::Perspective>(lanes, pixels, c, chunk);
        }
        for (int k = 0; k < V::kLanes; ++k) {
            const int32_t count = rows.count[k];
            const int32_t to = count < from + pixels ? count : from + pixels;
            if (to > from) {
                // Eight rows at once are more streams than the hardware prefetcher follows.
                for (int32_t line = 0; count > to && line < kChunk; line += 16) {
                    __builtin_prefetch(rows.dest[k] + to + line, 1);
                    __builtin_prefetch(rows.depth[k] + to + line, 1);
                }
                drawChunk<V, Type, Step, Blend, Mask, Argb>(
                    rows, k, section.texels, c, chunk.invZ[k], chunk.texel[k], from, to);
            }
        }
    }
}

template <class V, uint32_t Type, Stepping Step, bool Blend, bool Mask>
void drawRows(const RowLanes& rows, const ScanlineSpan& section)
{
    constexpr bool shaded = Type == PGOURAUD || Type == PTEXGOURAUD;
    if (shaded && section.rShift == 16 && section.gShift == 8 && section.bShift == 0) {
        drawRowsIn<V, Type, Step, Blend, Mask, shaded>(rows, section);
    } else {
        drawRowsIn<V, Type, Step, Blend, Mask, false>(rows, section);
    }
}

// ceilToInt of polygon.cpp in lanes: clamped with the same max and min, so NaN takes the lower
// limit there as here.
template <class V>
typename V::I ceilLanes(typename V::F value)
{
    const float limit = static_cast<float>(kCoordinateLimit);
    const auto clamped = V::minF(V::maxF(value, V::splatF(-limit)), V::splatF(limit));
    const auto truncated = V::truncate(clamped);
    return V::sub(truncated, V::lessF(V::toF(truncated), clamped));
}

// Each edge's values stepped a row at a time by one add each, as the scalar walk steps them,
// then turned so that each value has its rows in lanes; the edges move on past rows rows.
// setUpRows's parts are forced inline: shared by several types, they would otherwise cost the
// SSE2 build a call each per batch of rows.
template <class V>
[[gnu::always_inline]] inline void walkEdges(EdgeLanes& edges, int rows,
                                             typename V::F (&at)[2][EdgeLanes::kValues])
{
    using F = typename V::F;
    constexpr int lanes = V::kLanes;
    for (int e = 0; e < 2; ++e) {
        for (int h = 0; h < EdgeLanes::kValues; h += lanes) {
            F running = V::loadAF(edges.value[e] + h);
            const F step = V::loadAF(edges.step[e] + h);
            F* const row = at[e] + h;
            for (int k = 0; k < lanes; ++k) {
                row[k] = running;
                running = V::add(running, step);
            }
            // After rows steps: row[rows] unless every lane is a row.
            V::storeA(edges.value[e] + h, rows < lanes ? row[rows] : running);
            V::transpose(row);
        }
    }
}

// Rows that start left of the target: every value moves on -xl pixels.
template <class V>
struct LeftClip {
    typename V::I clipped; // all ones where xl < 0
    typename V::F skipped; // -xl
    typename V::F operator()(typename V::F value, typename V::F step) const
    {
        return V::selectF(clipped, V::add(value, V::mulF(skipped, step)), value);
    }
};

// toFixed of every lane.
template <class V>
void storeFixed(uint32_t* to, typename V::F value)
{
    V::storeAI(to, V::round(V::mulF(value, V::splatF(65536.0f))));
}

// u/z and v/z of every row between the left edge's values l and the right's r, and the 16.16 u
// and v of the rows of constant depth; returns a bit per such row.
template <class V>
[[gnu::always_inline]] inline uint32_t setUpTexture(const typename V::F* l, const typename V::F* r,
                                                    typename V::F pre, typename V::F perWidth,
                                                    typename V::F invZ, typename V::F invZStep,
                                                    const LeftClip<V>& skip, RowLanes& out)
{
    using F = typename V::F;
    const F uStep = V::mulF(V::subF(r[EdgeLanes::kU], l[EdgeLanes::kU]), perWidth);
    const F vStep = V::mulF(V::subF(r[EdgeLanes::kV], l[EdgeLanes::kV]), perWidth);
    const F u = skip(V::add(V::mulF(pre, uStep), l[EdgeLanes::kU]), uStep);
    const F v = skip(V::add(V::mulF(pre, vStep), l[EdgeLanes::kV]), vStep);
    V::storeA(out.uOverZ, u);
    V::storeA(out.uOverZStep, uStep);
    V::storeA(out.vOverZ, v);
    V::storeA(out.vOverZStep, vStep);
    const uint32_t affine = V::maskBits(V::equalF(invZStep, V::splatF(0.0f)));
    if (affine) {
        // Depth is constant along such a row, so u and v are linear in x.
        const F z = V::divF(V::splatF(1.0f), invZ);
        storeFixed<V>(out.uFixed, V::mulF(z, u));
        storeFixed<V>(out.vFixed, V::mulF(z, v));
        storeFixed<V>(out.uStepFixed, V::mulF(z, uStep));
        storeFixed<V>(out.vStepFixed, V::mulF(z, vStep));
    }
    return affine;
}

// The 16.16 colour of every row and its step, divided by the width as the scalar set-up does.
template <class V>
[[gnu::always_inline]] inline void setUpShade(const typename V::F* l, const typename V::F* r,
                                              typename V::F pre, typename V::F width,
                                              const LeftClip<V>& skip, RowLanes& out)
{
    uint32_t* const values[3] = {out.rFixed, out.gFixed, out.bFixed};
    uint32_t* const steps[3] = {out.rStepFixed, out.gStepFixed, out.bStepFixed};
    for (int channel = 0; channel < 3; ++channel) {
        const int at = EdgeLanes::kR + channel;
        const auto step = V::divF(V::subF(r[at], l[at]), width);
        storeFixed<V>(values[channel], skip(V::add(V::mulF(pre, step), l[at]), step));
        storeFixed<V>(steps[channel], step);
    }
}

// Each row's first column and pixel count within the target; lanes past rows draw nothing.
// Returns a bit per row with pixels.
template <class V>
[[gnu::always_inline]] inline uint32_t storeColumns(typename V::I xl, typename V::I count,
                                                    const LeftClip<V>& skip, int rows,
                                                    int32_t targetWidth, RowLanes& out)
{
    count = V::select(skip.clipped, V::add(count, xl), count);
    const auto first = V::select(skip.clipped, V::splat(0), xl);
    const auto width = V::splat(static_cast<uint32_t>(targetWidth));
    count = V::select(V::greaterI(V::add(first, count), width), V::sub(width, first), count);
    count = V::and_(count, V::greaterI(V::splat(static_cast<uint32_t>(rows)), V::ramp(0, 1)));
    V::storeAI(out.xl, first);
    V::storeAI(out.count, count);
    return V::maskBits(V::greaterI(count, V::splat(0)));
}

// The edge walk of polygon.cpp for rows rows, lane k doing what the scalar walk does for row k;
// Type's default flags say which values run (colour when shaded, u and v when textured).
template <class V, uint32_t Type>
uint32_t setUpRows(EdgeLanes& edges, int rows, int32_t targetWidth, RowLanes& out, uint32_t& affine)
{
    using F = typename V::F;
    using I = typename V::I;
    constexpr int x = EdgeLanes::kX, w = EdgeLanes::kInvZ;
    F at[2][EdgeLanes::kValues];
    walkEdges<V>(edges, rows, at);
    const F* const l = at[0];
    const F* const r = at[1];
    const I xl = ceilLanes<V>(l[x]);
    const I count = V::sub(ceilLanes<V>(r[x]), xl);
    const F pre = V::subF(V::toF(xl), l[x]);
    F width = V::subF(r[x], l[x]);
    width = V::selectF(V::equalF(width, V::splatF(0.0f)), V::splatF(-1.0f), width);
    const F perWidth = V::divF(V::splatF(1.0f), width);
    const F invZStep = V::mulF(V::subF(r[w], l[w]), perWidth);
    const LeftClip<V> skip{V::greaterI(V::splat(0), xl), V::toF(V::sub(V::splat(0), xl))};
    const F invZ = skip(V::add(V::mulF(invZStep, pre), l[w]), invZStep);
    affine = 0;
    if constexpr (Type == PTEX || Type == PTEXGOURAUD) {
        affine = setUpTexture<V>(l, r, pre, perWidth, invZ, invZStep, skip, out);
    }
    if constexpr (Type == PGOURAUD || Type == PTEXGOURAUD) {
        setUpShade<V>(l, r, pre, width, skip, out);
    }
    V::storeA(out.invZ, invZ);
    V::storeA(out.invZStep, invZStep);
    return storeColumns<V>(xl, count, skip, rows, targetWidth, out);
}

template <class V, size_t... Index>
constexpr std::array<RowsDrawer, kDrawerCount> rowsDrawersOf(std::index_sequence<Index...>)
{
    return {{drawRows<V, kDrawers[Index].type, kDrawers[Index].step, kDrawers[Index].blend,
                      kDrawers[Index].mask>...}};
}

// The row drawer of every drawer in kDrawers, in its order.
template <class V>
constexpr std::array<RowsDrawer, kDrawerCount>
    kRowsDrawers = rowsDrawersOf<V>(std::make_index_sequence<kDrawerCount>());

template <class V>
const RowsSetUp kRowsSetUps[4] = {setUpRows<V, PFLAT>, setUpRows<V, PGOURAUD>, setUpRows<V, PTEX>,
                                  setUpRows<V, PTEXGOURAUD>};

} // namespace

} // namespace tarvo
