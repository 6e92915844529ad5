// The software polygon renderer: convex screen-space polygons with a per-pixel 1/z depth buffer,
// perspective-correct textures, Gouraud colour and alpha blending, filled span by span.
#pragma once

#include "tarvo/api.h"

#include <cstdint>

namespace tarvo
{

class Surface;

// One polygon corner, already projected: x and y in pixels, z the view-space depth (> 0).
struct Vertex3d {
    float x = 0, y = 0, z = 0, u = 0, v = 0;
    uint32_t color = 0; // a pixel value in the target's format
};

// One 1/z per target pixel, row-major; larger is nearer and 0.0 means nothing drawn yet.
struct DepthBuffer {
    float* data = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    // The rectangle polygons have written since the last clearDepth, right and bottom
    // excluded; the whole buffer until the first.
    int32_t drawnLeft = 0, drawnTop = 0, drawnRight = INT32_MAX, drawnBottom = INT32_MAX;
};

// Sets the buffer to 0.0 where polygons have drawn since the last call (everywhere the first
// time): on a small scene most of the buffer is never touched. Values written into data by
// other means need a fill of their own.
TARVO_API void clearDepth(DepthBuffer& buffer);

// Polygon types: how a pixel is coloured.
enum : uint32_t { PFLAT = 0, PGOURAUD = 1, PTEX = 2, PTEXGOURAUD = 3 };

// Interpolation flags: which attributes edge and span set-up prepare.
enum : uint32_t { INTERP_Z = 1, INTERP_UV = 2, INTERP_FLAT = 4, INTERP_RGB = 8 };

// The flags that go with each polygon type, indexed by type: {5, 9, 3, 11}.
extern TARVO_API const uint32_t kDefaultInterpFlags[4];

// The rasteriser's working records (raster.h) and the vector paths (rows.h).
struct DrawnRows;
struct PolygonEdge;
struct ScanlineSpan;
struct RowsPath;

// The edge pool shared by all polygons: grows to count records, never shrinks. Returns null
// when it cannot grow, so drawing never proceeds on a pool that is too small.
TARVO_API PolygonEdge* acquireEdges(int count);

using ScanlineDrawer = void (*)(const ScanlineSpan*);

class TARVO_API Polygon3d
{
public:
    Polygon3d();

    // Null clears the texture; otherwise it must be 32 bits per pixel with power-of-two sides.
    // Throws Exception and leaves the polygon unchanged when it is not.
    void setTexture(Surface* texture);

    // Picks drawer and affineDrawer for type, alpha and maskZeroTexels, and the render path's
    // rows to draw them with; throws for a textured type without texture and for an unknown type.
    void setScanlineDrawer();

    // Rasterises the polygon into a 32-bit target, testing and writing depthBuffer.
    void draw(Surface& target);

    // Prepares one edge from a to b; false when it crosses no row of the target.
    bool setupEdge(PolygonEdge& e, const Vertex3d& a, const Vertex3d& b, uint32_t flags,
                   Surface& target);
    // Walks the edge ring from row yStart to yEnd, one section per pair of facing edges.
    void drawSections(Surface& target, int yStart, int yEnd, uint32_t flatColor, PolygonEdge* first,
                      ScanlineSpan& span);
    // Draws rows yFrom to yTo between edges a and b.
    void drawSection(Surface& target, int yFrom, int yTo, uint32_t flatColor, PolygonEdge* a,
                     PolygonEdge* b, ScanlineSpan& span);

    Vertex3d** vertices;
    uint32_t vertexCount;
    Surface* texture;
    int32_t textureWidthMask;
    int32_t textureHeightMask;
    uint32_t textureWidthShift;
    DepthBuffer* depthBuffer;
    uint32_t type;
    uint32_t interpFlags;
    uint8_t alpha; // 0 opaque, else weight (alpha + 1) / 256
    bool maskZeroTexels;
    ScanlineDrawer drawer;
    ScanlineDrawer affineDrawer; // textured types: for spans of constant depth

private:
    // Chosen with the drawers, once per polygon: their rows in kDrawers (drawers.h), and the
    // vector path that draws the rows, null for the scalar pipeline.
    int drawerIndex = -1;
    int affineDrawerIndex = -1;
    const RowsPath* rowsPath = nullptr;

    // The section's rows one at a time through the scalar drawers: the reference pipeline.
    void drawRows(Surface& target, int yFrom, int yTo, PolygonEdge& left, PolygonEdge& right,
                  ScanlineSpan& span, DrawnRows& drawn);
    // The same rows set up and drawn by rowsPath, its lanes' worth at a time.
    void drawRowLanes(Surface& target, int yFrom, int yTo, PolygonEdge& left, PolygonEdge& right,
                      ScanlineSpan& span, DrawnRows& drawn);
    // False when drawing would write or read outside the target, depth buffer or texture.
    bool canDrawInto(const Surface& target) const;
    // Locks the target, then the texture if any, and points span at the texels; false, with
    // nothing left locked, when a lock fails.
    bool lockTargets(Surface& target, ScanlineSpan& span);
    // Points span's depth and dest at column xl of row y.
    void pointAtRow(const Surface& target, int y, int32_t xl, ScanlineSpan& span) const;
};

// The twenty scanline drawers, one per type, blending, masking and texture stepping, in the
// order of kDrawers (drawers.h).
TARVO_API void drawFlat(const ScanlineSpan* span);
TARVO_API void drawFlatBlend(const ScanlineSpan* span);
TARVO_API void drawGouraud(const ScanlineSpan* span);
TARVO_API void drawGouraudBlend(const ScanlineSpan* span);
TARVO_API void drawTexPersp(const ScanlineSpan* span);
TARVO_API void drawTexPerspMasked(const ScanlineSpan* span);
TARVO_API void drawTexPerspBlend(const ScanlineSpan* span);
TARVO_API void drawTexPerspBlendMasked(const ScanlineSpan* span);
TARVO_API void drawTexAffine(const ScanlineSpan* span);
TARVO_API void drawTexAffineMasked(const ScanlineSpan* span);
TARVO_API void drawTexAffineBlend(const ScanlineSpan* span);
TARVO_API void drawTexAffineBlendMasked(const ScanlineSpan* span);
TARVO_API void drawTexShadePersp(const ScanlineSpan* span);
TARVO_API void drawTexShadePerspMasked(const ScanlineSpan* span);
TARVO_API void drawTexShadePerspBlend(const ScanlineSpan* span);
TARVO_API void drawTexShadePerspBlendMasked(const ScanlineSpan* span);
TARVO_API void drawTexShadeAffine(const ScanlineSpan* span);
TARVO_API void drawTexShadeAffineMasked(const ScanlineSpan* span);
TARVO_API void drawTexShadeAffineBlend(const ScanlineSpan* span);
TARVO_API void drawTexShadeAffineBlendMasked(const ScanlineSpan* span);

} // namespace tarvo
