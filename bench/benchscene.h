// The scenes renderbench draws with every renderer: quads in screen space, already projected,
// with pixel centres at +0.5 so that every renderer's sampling meets the same fill rule.
#pragma once

#include <cstdint>
#include <vector>

struct BenchVertex {
    float x = 0, y = 0, z = 0, u = 0, v = 0;
    uint32_t color = 0; // 0xAARRGGBB
    uint8_t light = 0;  // brightness for renderers that shade by one level
};

struct BenchQuad {
    BenchVertex corners[4];
};

// The compared cases; each is depth-tested.
enum class BenchCase { Flat, Gouraud, Perspective, Affine, Masked, Translucent, TexShade };
const int kBenchCaseCount = 7;

// One frame is a list of quads; a scene case draws its frames one after another.
using BenchFrame = std::vector<BenchQuad>;

// The shared texture: side x side texels, 0xAARRGGBB, opaque; the masked variant has holes of 0.
struct BenchTexture {
    int side = 0;
    std::vector<uint32_t> texels;
    std::vector<uint32_t> masked;
};
