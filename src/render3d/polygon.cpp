// Polygon3d: texture validation, drawer choice and a top-left edge-walking rasteriser that hands
// each clipped row of a convex polygon to a scanline drawer (rows.cpp: the vector paths instead).
#include "tarvo/render3d/polygon.h"

#include "render3d/drawers.h"
#include "render3d/fixed.h"
#include "render3d/raster.h"
#include "render3d/rows.h"
#include "tarvo/core/exception.h"
#include "tarvo/render3d/renderpath.h"
#include "tarvo/video/surface.h"

#include <SDL.h>
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <new>
#include <utility>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tarvo
{

const uint32_t kDefaultInterpFlags[4] = {
    INTERP_Z | INTERP_FLAT,
    INTERP_Z | INTERP_RGB,
    INTERP_Z | INTERP_UV,
    INTERP_Z | INTERP_UV | INTERP_RGB,
};

namespace
{

// Located exceptions carry this file name and fixed line numbers, stable across builds.
const char* const kPolygonFile = "polygon";
const int kNoTextureLine = 2150;
const int kUnknownTypeLine = 2171;

// The shared edge pool; it lives until the process ends.
PolygonEdge* edgePool = nullptr;
int edgePoolCapacity = 0;

// Grows the pool to count records, never shrinking it. Returns null when it cannot grow, so
// drawing never proceeds on a pool that is too small.
PolygonEdge* acquireEdges(int count)
{
    if (count <= edgePoolCapacity) {
        return edgePool;
    }
    PolygonEdge* grown = new (std::nothrow) PolygonEdge[count]();
    if (!grown) {
        return nullptr;
    }
    delete[] edgePool;
    edgePool = grown;
    edgePoolCapacity = count;
    return edgePool;
}

// The limits are whole numbers, so clamping before rounding up is the same as after; NaN fails
// the first test and takes the lower limit. Both clamps are a max and a min, free of branches.
int32_t ceilToInt(float value)
{
    const float limit = static_cast<float>(kCoordinateLimit);
#if defined(__SSE2__)
    // maxss hands back its second operand when the first is NaN.
    const __m128 clamped =
        _mm_min_ss(_mm_max_ss(_mm_set_ss(value), _mm_set_ss(-limit)), _mm_set_ss(limit));
    const __m128i truncated = _mm_cvttps_epi32(clamped);
    // All ones (-1) where truncation went down.
    const __m128i down = _mm_castps_si128(_mm_cmplt_ss(_mm_cvtepi32_ps(truncated), clamped));
    return _mm_cvtsi128_si32(_mm_sub_epi32(truncated, down));
#else
    float clamped = value > -limit ? value : -limit;
    clamped = clamped < limit ? clamped : limit;
    const int32_t truncated = static_cast<int32_t>(clamped);
    return truncated + (static_cast<float>(truncated) < clamped ? 1 : 0);
#endif
}

bool isPowerOfTwo(int value)
{
    return value > 0 && (value & (value - 1)) == 0;
}

uint32_t log2OfPowerOfTwo(uint32_t value)
{
    uint32_t shift = 0;
    while ((1u << shift) < value) {
        ++shift;
    }
    return shift;
}

// Red, green and blue of a pixel value as floats from 0 to 255.
struct Channels {
    float r, g, b;
};

Channels splitColor(uint32_t color, const SDL_PixelFormat& format)
{
    return {static_cast<float>((color & format.Rmask) >> format.Rshift),
            static_cast<float>((color & format.Gmask) >> format.Gshift),
            static_cast<float>((color & format.Bmask) >> format.Bshift)};
}

// A colour gradient between two samples distance apart, taken at the first row or pixel, pre
// past the first sample.
void setColorGradient(Interpolants& attrs, const Channels& from, const Channels& to, float distance,
                      float pre)
{
    attrs.rStep = (to.r - from.r) / distance;
    attrs.gStep = (to.g - from.g) / distance;
    attrs.bStep = (to.b - from.b) / distance;
    attrs.r = pre * attrs.rStep + from.r;
    attrs.g = pre * attrs.gStep + from.g;
    attrs.b = pre * attrs.bStep + from.b;
}

// Per-pixel gradients of one row from the two edges' values, then both edges one row on;
// perWidth is 1 / width.
void interpolateRow(PolygonEdge& left, PolygonEdge& right, uint32_t flags, float pre, float width,
                    float perWidth, Interpolants& attrs)
{
    Interpolants& l = left.attrs;
    Interpolants& r = right.attrs;
    if (flags & INTERP_RGB) {
        setColorGradient(attrs, {l.r, l.g, l.b}, {r.r, r.g, r.b}, width, pre);
        l.r += l.rStep;
        l.g += l.gStep;
        l.b += l.bStep;
        r.r += r.rStep;
        r.g += r.gStep;
        r.b += r.bStep;
    }
    if (!(flags & INTERP_Z)) {
        return;
    }
    const float k = perWidth;
    attrs.invZStep = (r.invZ - l.invZ) * k;
    attrs.invZ = attrs.invZStep * pre + l.invZ;
    l.invZ += l.invZStep;
    r.invZ += r.invZStep;
    if (flags & INTERP_UV) {
        attrs.uOverZStep = (r.uOverZ - l.uOverZ) * k;
        attrs.vOverZStep = (r.vOverZ - l.vOverZ) * k;
        attrs.uOverZ = pre * attrs.uOverZStep + l.uOverZ;
        attrs.vOverZ = pre * attrs.vOverZStep + l.vOverZ;
        l.uOverZ += l.uOverZStep;
        l.vOverZ += l.vOverZStep;
        r.uOverZ += r.uOverZStep;
        r.vOverZ += r.vOverZStep;
    }
}

// 16.16 copies for the drawers that step in integers, taken after the left clip.
void setFixedCopies(ScanlineSpan& span, uint32_t flags, bool affine)
{
    const Interpolants& attrs = span.attrs;
    if (flags & INTERP_RGB) {
        span.rFixed = toFixed(attrs.r);
        span.gFixed = toFixed(attrs.g);
        span.bFixed = toFixed(attrs.b);
        span.rStepFixed = toFixed(attrs.rStep);
        span.gStepFixed = toFixed(attrs.gStep);
        span.bStepFixed = toFixed(attrs.bStep);
    }
    if ((flags & INTERP_Z) && (flags & INTERP_UV) && affine) {
        // Depth is constant along the span, so u and v are linear in x.
        const float z = 1.0f / attrs.invZ;
        span.uFixed = toFixed(z * attrs.uOverZ);
        span.vFixed = toFixed(z * attrs.vOverZ);
        span.uStepFixed = toFixed(z * attrs.uOverZStep);
        span.vStepFixed = toFixed(z * attrs.vOverZStep);
    }
}

} // namespace

void Interpolants::advance(int n, uint32_t flags)
{
    const float steps = static_cast<float>(n);
    if (flags & INTERP_RGB) {
        r += steps * rStep;
        g += steps * gStep;
        b += steps * bStep;
    }
    if (flags & INTERP_Z) {
        invZ += steps * invZStep;
        if (flags & INTERP_UV) {
            uOverZ += steps * uOverZStep;
            vOverZ += steps * vOverZStep;
        }
    }
}

void clearDepth(DepthBuffer& buffer)
{
    const int32_t left = std::max(buffer.drawnLeft, 0);
    const int32_t right = std::min(buffer.drawnRight, buffer.width);
    const int32_t top = std::max(buffer.drawnTop, 0);
    const int32_t bottom = std::min(buffer.drawnBottom, buffer.height);
    if (buffer.data && left < right && top < bottom) {
        float* const first = buffer.data + static_cast<ptrdiff_t>(top) * buffer.width;
        if (left == 0 && right == buffer.width) {
            // Whole rows are one run.
            std::fill_n(first, static_cast<ptrdiff_t>(bottom - top) * buffer.width, 0.0f);
        } else {
            for (int32_t y = 0; y < bottom - top; ++y) {
                std::fill_n(first + static_cast<ptrdiff_t>(y) * buffer.width + left, right - left,
                            0.0f);
            }
        }
    }
    buffer.drawnLeft = INT32_MAX;
    buffer.drawnTop = INT32_MAX;
    buffer.drawnRight = INT32_MIN;
    buffer.drawnBottom = INT32_MIN;
}

Polygon3d::Polygon3d()
    : vertices(nullptr), vertexCount(0), texture(nullptr), textureWidthMask(0),
      textureHeightMask(0), textureWidthShift(0), depthBuffer(nullptr), type(PFLAT),
      interpFlags(kDefaultInterpFlags[PFLAT]), alpha(0), maskZeroTexels(false)
{
    setTexture(nullptr);
}

void Polygon3d::setTexture(Surface* newTexture)
{
    if (!newTexture) {
        texture = nullptr;
        textureWidthShift = 0;
        textureHeightMask = 0;
        textureWidthMask = 0;
        return;
    }
    const SDL_PixelFormat* format = newTexture->getPixelFormat();
    if (!format || format->BitsPerPixel != 32) {
        throw Exception("Polygon3d::setTexture: invalid texture format");
    }
    // Checked before anything changes: a rejected texture leaves the previous one, whose masks
    // the drawers keep addressing within.
    const int width = newTexture->getWidth();
    const int height = newTexture->getHeight();
    if (!isPowerOfTwo(width) || !isPowerOfTwo(height)) {
        throw Exception("Polygon3d::setTexture: invalid texture dimensions");
    }
    texture = newTexture;
    textureWidthMask = width - 1;
    textureHeightMask = height - 1;
    textureWidthShift = log2OfPowerOfTwo(static_cast<uint32_t>(width));
}

void Polygon3d::setScanlineDrawer()
{
    drawer = nullptr;
    affineDrawer = nullptr;
    const bool textured = type == PTEX || type == PTEXGOURAUD;
    if (textured && !texture) {
        throw Exception("Polygon3d::setScanlineDrawer: PTEX polygon has no texture!", kPolygonFile,
                        kNoTextureLine);
    }
    const bool blends = alpha != 0;
    drawerIndex = drawerIndexFor(type, textured ? Stepping::Perspective : Stepping::None, blends,
                                 maskZeroTexels);
    affineDrawerIndex =
        textured ? drawerIndexFor(type, Stepping::Affine, blends, maskZeroTexels) : -1;
    if (drawerIndex < 0) {
        throw Exception("Polygon3d::setScanlineDrawer: unknown polygon type", kPolygonFile,
                        kUnknownTypeLine);
    }
    drawer = kDrawers[drawerIndex].scalar;
    affineDrawer = textured ? kDrawers[affineDrawerIndex].scalar : nullptr;
    // The vector paths set up rows for the default flags of each type alone.
    rowsPath = interpFlags == kDefaultInterpFlags[type] ? rowsPathFor(renderPath()) : nullptr;
}

bool Polygon3d::canDrawInto(const Surface& target) const
{
    // The drawers write 32-bit pixels and one depth value per target pixel, and address
    // texels through the masks: anything narrower would be written or read out of bounds.
    if (target.getPixelFormat()->BitsPerPixel != 32) {
        return false;
    }
    if (!depthBuffer || !depthBuffer->data || depthBuffer->width < target.getWidth() ||
        depthBuffer->height < target.getHeight()) {
        return false;
    }
    if (texture) {
        const SDL_PixelFormat* format = texture->getPixelFormat();
        if (!format || format->BitsPerPixel != 32 || texture->getWidth() <= textureWidthMask ||
            texture->getHeight() <= textureHeightMask) {
            return false;
        }
    }
    return true;
}

void Polygon3d::draw(Surface& target)
{
    if (!target.getSdlSurface() || !vertices || vertexCount < 3) {
        return;
    }
    setScanlineDrawer();
    if (!canDrawInto(target) || vertexCount > static_cast<uint32_t>(INT32_MAX)) {
        return;
    }
    PolygonEdge* edges = acquireEdges(static_cast<int>(vertexCount));
    if (!edges) {
        return;
    }

    int32_t yStart = INT32_MAX;
    int32_t yEnd = INT32_MIN;
    PolygonEdge* first = nullptr;
    PolygonEdge* last = nullptr;
    uint32_t used = 0;
    const Vertex3d* previous = vertices[vertexCount - 1];
    for (uint32_t i = 0; i < vertexCount; ++i) {
        PolygonEdge& edge = edges[used];
        if (setupEdge(edge, *previous, *vertices[i], interpFlags, target)) {
            // The earliest edge wins ties for the top.
            if (edge.yTop < yStart) {
                first = &edge;
                yStart = edge.yTop;
            }
            if (edge.yBottom > yEnd) {
                yEnd = edge.yBottom;
            }
            if (last) {
                last->next = &edge;
                edge.prev = last;
            }
            last = &edge;
            ++used;
        }
        previous = vertices[i];
    }
    if (!last) {
        return;
    }
    edges[0].prev = last;
    last->next = &edges[0];

    ScanlineSpan span;
    drawSections(target, yStart, yEnd, vertices[0]->color, first, span);
}

bool Polygon3d::setupEdge(PolygonEdge& e, const Vertex3d& a, const Vertex3d& b, uint32_t flags,
                          Surface& target)
{
    const Vertex3d* top = &a;
    const Vertex3d* bottom = &b;
    if (b.y < a.y) {
        std::swap(top, bottom);
    }
    // Top-left fill rule: the edge owns rows y with top.y <= y < bottom.y, sampled at integer y.
    e.yTop = ceilToInt(top->y);
    e.yBottom = ceilToInt(bottom->y) - 1;
    if (e.yBottom < e.yTop) {
        return false;
    }
    const float dy = bottom->y - top->y;
    const float invDy = 1.0f / dy;
    const float pre = static_cast<float>(e.yTop) - top->y; // sub-pixel step to the first row
    e.xStep = (bottom->x - top->x) * invDy;
    e.x = e.xStep * pre + top->x;
    e.next = nullptr;
    e.prev = nullptr;

    Interpolants& attrs = e.attrs;
    if (flags & INTERP_Z) {
        const float w0 = 1.0f / top->z;
        const float w1 = 1.0f / bottom->z;
        attrs.invZStep = (w1 - w0) * invDy;
        attrs.invZ = attrs.invZStep * pre + w0;
        if (flags & INTERP_UV) {
            attrs.uOverZStep = (bottom->u * w1 - top->u * w0) * invDy;
            attrs.vOverZStep = (bottom->v * w1 - top->v * w0) * invDy;
            attrs.uOverZ = pre * attrs.uOverZStep + top->u * w0;
            attrs.vOverZ = pre * attrs.vOverZStep + top->v * w0;
        }
    }

    // A flat polygon takes its colour from vertex 0, so its edges carry none.
    const uint32_t advanceFlags = (flags & INTERP_FLAT) ? (flags & ~INTERP_RGB) : flags;
    if (!(flags & INTERP_FLAT) && (flags & INTERP_RGB)) {
        // Divided by dy rather than multiplied by invDy: the two round differently.
        setColorGradient(attrs, splitColor(top->color, *target.getPixelFormat()),
                         splitColor(bottom->color, *target.getPixelFormat()), dy, pre);
    }
    if (e.yTop < 0) {
        const int32_t skipped = -e.yTop;
        e.yTop = 0;
        e.x += static_cast<float>(skipped) * e.xStep;
        attrs.advance(skipped, advanceFlags);
    }

    const int32_t height = target.getHeight();
    if (e.yBottom >= height) {
        e.yBottom = height - 1;
    }
    return e.yBottom >= e.yTop;
}

void Polygon3d::drawSections(Surface& target, int yStart, int yEnd, uint32_t flatColor,
                             PolygonEdge* first, ScanlineSpan& span)
{
    // A and B are the two edges leaving the top vertex; A walks the ring backwards, B forwards.
    PolygonEdge* a = first;
    if (a->prev != a->next && a->prev->yTop == yStart) {
        a = a->prev;
    }
    PolygonEdge* b = a->next;
    int y = yStart;
    for (;;) {
        const int sectionEnd = std::min(a->yBottom, b->yBottom);
        drawSection(target, y, sectionEnd, flatColor, a, b, span);
        if (sectionEnd >= yEnd) {
            return;
        }
        if (sectionEnd >= a->yBottom) {
            a = a->prev;
        }
        if (sectionEnd >= b->yBottom) {
            b = b->next;
        }
        y = sectionEnd + 1;
    }
}

void Polygon3d::drawSection(Surface& target, int yFrom, int yTo, uint32_t flatColor, PolygonEdge* a,
                            PolygonEdge* b, ScanlineSpan& span)
{
    PolygonEdge* left = a;
    PolygonEdge* right = b;
    if (b->x < a->x || (b->x == a->x && b->xStep < a->xStep)) {
        std::swap(left, right);
    }
    const SDL_PixelFormat* format = target.getPixelFormat();
    span.poly = this;
    span.rbMask = format->Rmask | format->Bmask;
    span.gMask = format->Gmask;
    span.rShift = format->Rshift;
    span.gShift = format->Gshift;
    span.bShift = format->Bshift;
    span.alphaMask = 0xFF000000u;
    span.alphaShift = 24;
    if (interpFlags & INTERP_FLAT) {
        span.flatColor = flatColor;
    }

    // Locked once for the section, at its first row with pixels, so that a section that draws
    // nothing never locks; a failed lock skips the rest of the section.
    DrawnRows drawn;
    if (rowsPath) {
        drawRowLanes(target, yFrom, yTo, *left, *right, span, drawn);
    } else {
        drawRows(target, yFrom, yTo, *left, *right, span, drawn);
    }
    if (drawn.locked) {
        DepthBuffer& depth = *depthBuffer;
        depth.drawnLeft = std::min(depth.drawnLeft, drawn.left);
        depth.drawnRight = std::max(depth.drawnRight, drawn.right);
        depth.drawnTop = std::min(depth.drawnTop, drawn.top);
        depth.drawnBottom = std::max(depth.drawnBottom, drawn.bottom);
        if (texture) {
            texture->unlock();
        }
        target.unlock();
    }
}

void Polygon3d::drawRows(Surface& target, int yFrom, int yTo, PolygonEdge& left, PolygonEdge& right,
                         ScanlineSpan& span, DrawnRows& drawn)
{
    const int32_t targetWidth = target.getWidth();
    for (int y = yFrom; y <= yTo; ++y) {
        // Column half of the top-left fill rule: pixel x is drawn when ceil(left) <= x <
        // ceil(right), sampled at integer x. A pixel exactly on the left edge is drawn and one
        // exactly on the right edge is not, so two polygons sharing an edge never both draw it
        // and leave no gap between them.
        int32_t xl = ceilToInt(left.x);
        const int32_t xr = ceilToInt(right.x);
        int32_t count = xr - xl;
        const float pre = static_cast<float>(xl) - left.x;
        float width = right.x - left.x;
        // Where the edges meet (at a vertex, or in a sliver) the row is empty, but it still runs so
        // that both edges' colour and depth step on to the next row; any nonzero divisor keeps
        // its unused gradients finite instead of infinite or NaN, which 16.16 cannot hold.
        if (width == 0.0f) {
            width = -1.0f;
        }
        // invZStep exactly 0 means constant depth: affine stepping is then exact.
        const float perWidth = 1.0f / width;
        const bool affine =
            affineDrawer &&
            (!(interpFlags & INTERP_Z) || (right.attrs.invZ - left.attrs.invZ) * perWidth == 0.0f);
        interpolateRow(left, right, interpFlags, pre, width, perWidth, span.attrs);
        if (xl < 0) {
            span.attrs.advance(-xl, interpFlags);
            count += xl;
            xl = 0;
        }
        setFixedCopies(span, interpFlags, affine);
        if (xl + count > targetWidth) {
            count = targetWidth - xl;
        }
        span.count = count;
        if (count > 0) {
            if (!drawn.locked && !(drawn.locked = lockTargets(target, span))) {
                return;
            }
            pointAtRow(target, y, xl, span);
            (affine ? affineDrawer : drawer)(&span);
            addDrawnRow(drawn, xl, xl + count, y);
        }
        left.x += left.xStep;
        right.x += right.xStep;
    }
}

bool Polygon3d::lockTargets(Surface& target, ScanlineSpan& span)
{
    if (!target.lock()) {
        return false;
    }
    if (texture) {
        if (!texture->lock()) {
            target.unlock();
            return false;
        }
        span.texels = static_cast<const uint32_t*>(texture->getSdlSurface()->pixels);
    }
    return true;
}

void Polygon3d::pointAtRow(const Surface& target, int y, int32_t xl, ScanlineSpan& span) const
{
    span.depth = depthBuffer->data + static_cast<ptrdiff_t>(y) * depthBuffer->width + xl;
    const SDL_Surface* surface = target.getSdlSurface();
    span.dest = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(surface->pixels) +
                                            static_cast<ptrdiff_t>(y) * surface->pitch) +
                xl;
}

} // namespace tarvo
