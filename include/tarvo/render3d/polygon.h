/// @file
/// The software polygon renderer: convex screen-space polygons with a per-pixel 1/z depth buffer,
/// perspective-correct textures, Gouraud colour and alpha blending, filled span by span.
#pragma once

#include "tarvo/api.h"

#include <cstdint>

namespace tarvo
{

class Surface;

/// One polygon corner, already projected: x and y in pixels, z the view-space depth (> 0).
struct Vertex3d {
    float x = 0;        ///< Column in pixels; pixel centres are at whole numbers.
    float y = 0;        ///< Row in pixels, downwards.
    float z = 0;        ///< View-space depth, > 0; larger is farther.
    float u = 0;        ///< Texture column in texels; wraps around the texture.
    float v = 0;        ///< Texture row in texels; wraps around the texture.
    uint32_t color = 0; ///< A pixel value in the target's format.
};

/// One 1/z per target pixel, row-major; larger is nearer and 0.0 means nothing drawn yet.
///
/// The caller owns data (width * height floats) and calls clearDepth before each frame's
/// polygons. A buffer smaller than the target makes Polygon3d::draw draw nothing.
struct DepthBuffer {
    float* data = nullptr; ///< width * height values, not owned.
    int32_t width = 0;     ///< Values per row.
    int32_t height = 0;    ///< Rows.
    ///@{
    /// The rectangle polygons have written since the last clearDepth, right and bottom
    /// excluded; the whole buffer until the first.
    int32_t drawnLeft = 0, drawnTop = 0, drawnRight = INT32_MAX, drawnBottom = INT32_MAX;
    ///@}
};

/// Sets the buffer to 0.0 where polygons have drawn since the last call (everywhere the first
/// time): on a small scene most of the buffer is never touched. Values written into data by
/// other means need a fill of their own.
TARVO_API void clearDepth(DepthBuffer& buffer);

/// Polygon types (Polygon3d::type): how a pixel is coloured.
enum : uint32_t {
    PFLAT = 0,      ///< One colour, vertex 0's.
    PGOURAUD = 1,   ///< The vertices' colours interpolated.
    PTEX = 2,       ///< Texels, perspective-correct.
    PTEXGOURAUD = 3 ///< The mean of texel and interpolated colour, channel by channel.
};

/// Interpolation flags (Polygon3d::interpFlags): which attributes edge and span set-up prepare.
enum : uint32_t {
    INTERP_Z = 1,    ///< 1/z, for the depth test.
    INTERP_UV = 2,   ///< u and v.
    INTERP_FLAT = 4, ///< One colour for the whole polygon.
    INTERP_RGB = 8   ///< Colour from vertex to vertex.
};

/// The flags that go with each polygon type, indexed by type: {5, 9, 3, 11}.
extern TARVO_API const uint32_t kDefaultInterpFlags[4];

// The rasteriser's working records (raster.h) and the vector paths (rows.h).
struct DrawnRows;
struct PolygonEdge;
struct ScanlineSpan;
struct RowsPath;

/// A convex polygon in screen space and how to fill it.
///
/// Set the public fields, then call draw for each target. Pixels are drawn where the polygon's
/// 1/z is strictly larger than the depth buffer's, which then takes it. Edges follow the
/// top-left fill rule, so polygons sharing an edge draw each of its pixels once.
class TARVO_API Polygon3d
{
public:
    /// A flat, opaque polygon without vertices, texture or depth buffer.
    Polygon3d();

    /// Null clears the texture; otherwise it must be 32 bits per pixel with power-of-two sides.
    /// Throws Exception and leaves the polygon unchanged when it is not.
    void setTexture(Surface* texture);

    /// Picks the drawers for type, alpha and maskZeroTexels, and the render path's rows to draw
    /// them with; throws Exception for a textured type without texture and for an unknown type.
    /// draw calls it; call it yourself to check settings without drawing.
    void setScanlineDrawer();

    /// Rasterises the polygon into a 32-bit target, testing and writing depthBuffer. Draws
    /// nothing for fewer than three vertices, an empty target or one of another depth, or a
    /// depth buffer smaller than the target; throws as setScanlineDrawer does.
    void draw(Surface& target);

    /// vertexCount corners in order around the polygon, either way round; not owned.
    Vertex3d** vertices;
    uint32_t vertexCount; ///< Corners in vertices.
    Surface* texture;     ///< Set by setTexture; not owned, and locked while drawing.
    ///@{
    /// The texture's width - 1, height - 1 and log2(width), for wrapping; set by setTexture.
    int32_t textureWidthMask;
    int32_t textureHeightMask;
    uint32_t textureWidthShift;
    ///@}
    DepthBuffer* depthBuffer; ///< Tested and written; not owned.
    uint32_t type;            ///< PFLAT, PGOURAUD, PTEX or PTEXGOURAUD.
    /// What set-up interpolates; kDefaultInterpFlags[type] normally, and only then on the fast
    /// vector paths.
    uint32_t interpFlags;
    /// 0 opaque, else blending with weight (alpha + 1) / 256; textured types further weight each
    /// pixel by its texel's alpha byte (bits 24 to 31), a texel alpha of 0 drawing nothing.
    uint8_t alpha;
    bool maskZeroTexels; ///< Textured types: texels of value 0 are not drawn.

private:
    // The scalar drawers picked by setScanlineDrawer; affineDrawer (textured types only) takes
    // the spans of constant depth.
    void (*drawer)(const ScanlineSpan*) = nullptr;
    void (*affineDrawer)(const ScanlineSpan*) = nullptr;
    // Chosen with the drawers, once per polygon: their rows in kDrawers (drawers.h), and the
    // vector path that draws the rows, null for the scalar pipeline.
    int drawerIndex = -1;
    int affineDrawerIndex = -1;
    const RowsPath* rowsPath = nullptr;

    // Prepares one edge from a to b; false when it crosses no row of the target.
    bool setupEdge(PolygonEdge& e, const Vertex3d& a, const Vertex3d& b, uint32_t flags,
                   Surface& target);
    // Walks the edge ring from row yStart to yEnd, one section per pair of facing edges.
    void drawSections(Surface& target, int yStart, int yEnd, uint32_t flatColor, PolygonEdge* first,
                      ScanlineSpan& span);
    // Draws rows yFrom to yTo between edges a and b.
    void drawSection(Surface& target, int yFrom, int yTo, uint32_t flatColor, PolygonEdge* a,
                     PolygonEdge* b, ScanlineSpan& span);
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

} // namespace tarvo
