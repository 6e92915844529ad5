// The vector paths' driver: a section's two edges handed to the path's set-up a batch of rows at a
// time, each batch pointed into the target and drawn by the polygon's row drawers.
#include "render3d/rows.h"

#include "render3d/raster.h"
#include "tarvo/render3d/polygon.h"
#include "tarvo/video/surface.h"

#include <SDL.h>
#include <algorithm>
#include <cstddef>

namespace tarvo
{

namespace
{

// Which of EdgeLanes' values the polygon's flags run. The others are 0 in the lanes, so that
// stale ones cost nothing (no denormals), and are left alone on the edges.
struct EdgeValues {
    bool used[EdgeLanes::kValues];
};

EdgeValues edgeValuesFor(uint32_t flags)
{
    const bool shaded = flags & INTERP_RGB;
    const bool textured = flags & INTERP_UV;
    return {{true, true, textured, textured, shaded, shaded, shaded, false}};
}

void loadEdges(PolygonEdge* const both[2], const EdgeValues& values, EdgeLanes& edges)
{
    for (int e = 0; e < 2; ++e) {
        const PolygonEdge& edge = *both[e];
        const Interpolants& a = edge.attrs;
        const float value[EdgeLanes::kValues] = {edge.x, a.invZ, a.uOverZ, a.vOverZ,
                                                 a.r,    a.g,    a.b,      0.0f};
        const float step[EdgeLanes::kValues] = {edge.xStep, a.invZStep, a.uOverZStep, a.vOverZStep,
                                                a.rStep,    a.gStep,    a.bStep,      0.0f};
        for (int k = 0; k < EdgeLanes::kValues; ++k) {
            edges.value[e][k] = values.used[k] ? value[k] : 0.0f;
            edges.step[e][k] = values.used[k] ? step[k] : 0.0f;
        }
    }
}

// The edges as the scalar walk leaves them, for the sections that go on with one of them.
void storeEdges(const EdgeLanes& edges, const EdgeValues& values, PolygonEdge* const both[2])
{
    for (int e = 0; e < 2; ++e) {
        Interpolants& a = both[e]->attrs;
        float* const value[EdgeLanes::kValues] = {&both[e]->x, &a.invZ, &a.uOverZ, &a.vOverZ,
                                                  &a.r,        &a.g,    &a.b,      nullptr};
        for (int k = 0; k < EdgeLanes::kValues; ++k) {
            if (values.used[k]) {
                *value[k] = edges.value[e][k];
            }
        }
    }
}

// Points each row with pixels at its first pixel in the target and the depth buffer; row k is
// row y + k.
void pointRows(const SDL_Surface& target, const DepthBuffer& depth, int y, uint32_t withPixels,
               int lanes, RowLanes& rows, DrawnRows& drawn)
{
    for (int k = 0; k < lanes; ++k) {
        if (withPixels & (1u << k)) {
            const int32_t xl = rows.xl[k];
            rows.depth[k] = depth.data + static_cast<ptrdiff_t>(y + k) * depth.width + xl;
            rows.dest[k] =
                reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(target.pixels) +
                                            static_cast<ptrdiff_t>(y + k) * target.pitch) +
                xl;
            addDrawnRow(drawn, xl, xl + rows.count[k], y + k);
        }
    }
}

// Rows of constant depth (a bit each in affine) to the affine drawer, if any, the others to the
// main one.
void drawLanes(RowsDrawer mainRows, RowsDrawer affineRows, uint32_t withPixels, uint32_t affine,
               int lanes, RowLanes& rows, const ScanlineSpan& span)
{
    affine = affineRows ? affine & withPixels : 0;
    if (affine == withPixels) {
        affineRows(rows, span);
    } else if (affine == 0) {
        mainRows(rows, span);
    } else {
        RowLanes constantDepth = rows;
        for (int k = 0; k < lanes; ++k) {
            (affine & (1u << k) ? rows : constantDepth).count[k] = 0;
        }
        mainRows(rows, span);
        affineRows(constantDepth, span);
    }
}

} // namespace

const RowsPath* rowsPathFor(RenderPath path)
{
#if defined(__x86_64__)
    if (path == RenderPath::Sse2) {
        return &kSse2Rows;
    }
    if (path == RenderPath::Avx2) {
        return &kAvx2Rows;
    }
#endif
    (void)path;
    return nullptr;
}

void Polygon3d::drawRowLanes(Surface& target, int yFrom, int yTo, PolygonEdge& left,
                             PolygonEdge& right, ScanlineSpan& span, DrawnRows& drawn)
{
    const RowsPath& path = *rowsPath;
    const RowsDrawer mainRows = path.drawers[drawerIndex];
    const RowsDrawer affineRows = affineDrawerIndex < 0 ? nullptr : path.drawers[affineDrawerIndex];
    const RowsSetUp setUp = path.setUps[type];
    const int32_t targetWidth = target.getWidth();
    const EdgeValues values = edgeValuesFor(interpFlags);
    PolygonEdge* const both[2] = {&left, &right};
    EdgeLanes edges;
    loadEdges(both, values, edges);
    RowLanes rows;
    for (int y = yFrom; y <= yTo; y += path.lanes) {
        uint32_t affine = 0;
        const uint32_t withPixels =
            setUp(edges, std::min(yTo - y + 1, path.lanes), targetWidth, rows, affine);
        if (!withPixels) {
            continue;
        }
        if (!drawn.locked && !(drawn.locked = lockTargets(target, span))) {
            break;
        }
        pointRows(*target.getSdlSurface(), *depthBuffer, y, withPixels, path.lanes, rows, drawn);
        drawLanes(mainRows, affineRows, withPixels, affine, path.lanes, rows, span);
    }
    storeEdges(edges, values, both);
}

} // namespace tarvo
