// Polygon renderer throughput: a few representative polygons drawn into a 320 x 240 target,
// reported as pixels per second.
#include "core/log.h"
#include "render3d/polygon.h"
#include "video/surface.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <vector>

namespace
{

const int kWidth = 320;
const int kHeight = 240;
const int kTextureSide = 64;

// A checkerboard with transparent holes, so the masked drawers skip some texels.
void fillTexture(Surface& texture)
{
    texture.lock();
    auto* texels = static_cast<uint32_t*>(texture.getSdlSurface()->pixels);
    for (int y = 0; y < kTextureSide; ++y) {
        for (int x = 0; x < kTextureSide; ++x) {
            const bool hole = (x % 16 == 7) && (y % 16 == 7);
            const uint32_t texel = ((x ^ y) & 8) ? 0xC0E0A060u : 0x80305090u;
            texels[y * kTextureSide + x] = hole ? 0 : texel;
        }
    }
    texture.unlock();
}

struct Scene {
    Surface target;
    Surface texture;
    std::vector<float> depth = std::vector<float>(kWidth * kHeight);
    DepthBuffer depthBuffer{depth.data(), kWidth, kHeight};
    Log log;

    Scene()
    {
        gLog = &log;
        target.create(argbFormat(kWidth, kHeight, 0));
        texture.create(argbFormat(kTextureSide, kTextureSide, 0xFF000000));
        fillTexture(texture);
    }
};

// A quad covering most of the target, receding to the right when tilted, so that its spans
// need the perspective drawers; otherwise of constant depth.
void drawQuad(benchmark::State& state, uint32_t type, uint8_t alpha, bool mask, bool tilted)
{
    Scene scene;
    const float farZ = tilted ? 4.0f : 1.0f;
    Vertex3d corners[4] = {
        {10, 10, 1, 0, 0, 0xFFFF0000},
        {310, 10, farZ, 256, 0, 0xFF00FF00},
        {310, 230, farZ, 256, 256, 0xFF0000FF},
        {10, 230, 1, 0, 256, 0xFFFFFFFF},
    };
    Vertex3d* pointers[4] = {&corners[0], &corners[1], &corners[2], &corners[3]};
    Polygon3d polygon;
    polygon.depthBuffer = &scene.depthBuffer;
    polygon.setTexture(&scene.texture);
    polygon.type = type;
    polygon.interpFlags = kDefaultInterpFlags[type];
    polygon.alpha = alpha;
    polygon.maskZeroTexels = mask;
    polygon.vertices = pointers;
    polygon.vertexCount = 4;
    for (auto _ : state) {
        // Cleared each time so every pixel passes the depth test and does the full work.
        std::fill(scene.depth.begin(), scene.depth.end(), 0.0f);
        polygon.draw(scene.target);
        benchmark::ClobberMemory();
    }
    state.counters["pixels/s"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * 300.0 * 220.0, benchmark::Counter::kIsRate);
}

void flat(benchmark::State& state)
{
    drawQuad(state, PFLAT, 0, false, false);
}
void gouraud(benchmark::State& state)
{
    drawQuad(state, PGOURAUD, 0, false, false);
}
void texturedPerspective(benchmark::State& state)
{
    drawQuad(state, PTEX, 0, false, true);
}
void texturedAffine(benchmark::State& state)
{
    drawQuad(state, PTEX, 0, false, false);
}
void texturedBlendMasked(benchmark::State& state)
{
    drawQuad(state, PTEX, 160, true, true);
}
void texShadePerspectiveBlend(benchmark::State& state)
{
    drawQuad(state, PTEXGOURAUD, 160, false, true);
}

} // namespace

BENCHMARK(flat);
BENCHMARK(gouraud);
BENCHMARK(texturedPerspective);
BENCHMARK(texturedAffine);
BENCHMARK(texturedBlendMasked);
BENCHMARK(texShadePerspectiveBlend);
BENCHMARK_MAIN();
