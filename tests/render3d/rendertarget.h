// Test surfaces for the polygon renderer: a 32-bit target with its depth buffer, and textures.
#pragma once

#include "tarvo/render3d/polygon.h"
#include "tarvo/video/surface.h"

#include <gtest/gtest.h>
#include <memory>
#include <utility>
#include <vector>

namespace tarvo
{

inline uint32_t& pixelOf(const Surface& surface, int x, int y)
{
    SDL_Surface* s = surface.getSdlSurface();
    return reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(s->pixels) + y * s->pitch)[x];
}

// The depth buffer may be wider and taller by pad, so that writes beyond the target show up as
// non-zero depth in the padding. bgr swaps red and blue, a 32-bit format other than ARGB.
struct RenderTarget {
    RenderTarget(int width, int height, int pad = 0, bool bgr = false)
        : width(width), height(height), depth((width + pad) * (height + pad), 0.0f)
    {
        SurfaceFormat format = argbFormat(width, height, 0);
        if (bgr) {
            std::swap(format.rMask, format.bMask);
        }
        surface.create(format);
        buffer = DepthBuffer{depth.data(), width + pad, height + pad};
    }
    uint32_t& pixel(int x, int y) { return pixelOf(surface, x, y); }
    float depthAt(int x, int y) const { return depth[y * buffer.width + x]; }
    bool paddingUntouched() const
    {
        for (int i = 0; i < buffer.width * buffer.height; ++i) {
            if ((i % buffer.width >= width || i / buffer.width >= height) && depth[i] != 0.0f) {
                return false;
            }
        }
        return true;
    }

    int width, height;
    Surface surface;
    std::vector<float> depth;
    DepthBuffer buffer;
};

// Row-major texels, alpha in the top byte.
inline std::unique_ptr<Surface> makeTexture(int width, int height,
                                            const std::vector<uint32_t>& texels)
{
    auto texture = std::make_unique<Surface>();
    texture->create(argbFormat(width, height, 0xFF000000));
    for (int i = 0; i < width * height; ++i) {
        pixelOf(*texture, i % width, i / width) = texels[i];
    }
    return texture;
}

// Draws one polygon with the type's default flags (none for an unknown type).
inline void drawPolygon(RenderTarget& target, std::vector<Vertex3d> corners, uint32_t type,
                        Surface* texture = nullptr, uint8_t alpha = 0, bool mask = false)
{
    std::vector<Vertex3d*> pointers;
    for (Vertex3d& corner : corners) {
        pointers.push_back(&corner);
    }
    Polygon3d polygon;
    polygon.depthBuffer = &target.buffer;
    polygon.setTexture(texture);
    polygon.type = type;
    polygon.interpFlags = type < 4 ? kDefaultInterpFlags[type] : 0;
    polygon.alpha = alpha;
    polygon.maskZeroTexels = mask;
    polygon.vertices = pointers.data();
    polygon.vertexCount = static_cast<uint32_t>(pointers.size());
    polygon.draw(target.surface);
}

} // namespace tarvo
