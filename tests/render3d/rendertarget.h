// Test surfaces for the polygon renderer: a 32-bit target with its depth buffer, and textures
// built from texel lists.
#pragma once

#include "render3d/polygon.h"
#include "video/surface.h"

#include <gtest/gtest.h>
#include <memory>
#include <vector>

// A width x height target whose depth buffer may be wider and taller by pad, so that writes
// beyond the target show up as non-zero depth in the padding.
struct RenderTarget {
    RenderTarget(int width, int height, int pad = 0)
        : width(width), height(height), depth((width + pad) * (height + pad), 0.0f)
    {
        surface.create(argbFormat(width, height, 0));
        buffer = DepthBuffer{depth.data(), width + pad, height + pad};
    }

    uint32_t& pixel(int x, int y)
    {
        SDL_Surface* s = surface.getSdlSurface();
        return reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(s->pixels) + y * s->pitch)[x];
    }
    float depthAt(int x, int y) const { return depth[y * buffer.width + x]; }

    std::vector<uint32_t> pixels()
    {
        std::vector<uint32_t> all;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                all.push_back(pixel(x, y));
            }
        }
        return all;
    }

    void fill(uint32_t value)
    {
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                pixel(x, y) = value;
            }
        }
    }

    int width;
    int height;
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
    SDL_Surface* s = texture->getSdlSurface();
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(s->pixels) + y * s->pitch)[x] =
                texels[y * width + x];
        }
    }
    return texture;
}

// Draws one polygon with the type's default flags.
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
    polygon.interpFlags = kDefaultInterpFlags[type];
    polygon.alpha = alpha;
    polygon.maskZeroTexels = mask;
    polygon.vertices = pointers.data();
    polygon.vertexCount = static_cast<uint32_t>(pointers.size());
    polygon.draw(target.surface);
}
