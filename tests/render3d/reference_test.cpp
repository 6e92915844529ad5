// The renderer against a plain reference rasteriser written here from the rules: per row it finds
// the two edges covering the row, per pixel it evaluates depth, texel, colour and blend in
// integers. Random scenes use all twenty drawers; larger ones are pinned by checksum. Every vector
// path draws the same pictures as the scalar pipeline.
#include "rendertarget.h"
#include "tarvo/render3d/renderpath.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>

using namespace tarvo;

namespace
{

struct RefPolygon {
    uint32_t type = PFLAT;
    uint8_t alpha = 0;
    bool mask = false;
    Surface* texture = nullptr;
    std::vector<Vertex3d> vertices;
};

struct Scene {
    int width, height;
    uint32_t background;
    std::vector<std::shared_ptr<Surface>> textures;
    std::vector<RefPolygon> polygons;
    bool bgr = false; // the engine's target only: red and blue swapped
};

struct Image {
    std::vector<uint32_t> pixels;
    std::vector<float> depth;
};

// 16.16: the product in single precision, nearest integer with ties to even (the default
// rounding mode); NaN or out of range is 0x80000000.
int32_t fixedOf(float a)
{
    const double product = a * 65536.0f;
    return product >= -2147483648.0 && product < 2147483648.0
               ? static_cast<int32_t>(std::nearbyint(product))
               : INT32_MIN;
}

// 16.16 start plus i steps, wrapped to 32 bits as an integer register would.
int64_t fixedAt(float start, float step, int i)
{
    return static_cast<int32_t>(
        static_cast<uint32_t>(int64_t(fixedOf(start)) + int64_t(i) * fixedOf(step)));
}

// 1/z, u/z, v/z, red, green, blue: running values and their steps.
enum { W, UZ, VZ, R, G, B };
using Values = std::array<float, 6>;
struct Attrs {
    Values value{}, step{};
    void skip(float n)
    {
        for (int k = 0; k < 6; ++k) {
            value[k] += n * step[k];
        }
    }
    // 1/z and u/v multiply by the reciprocal of the length, colours divide by it.
    void between(const Values& here, const Values& there, float length, float pre)
    {
        for (int k = 0; k < 6; ++k) {
            step[k] =
                k < R ? (there[k] - here[k]) * (1.0f / length) : (there[k] - here[k]) / length;
            value[k] = pre * step[k] + here[k];
        }
    }
};

Values valuesOf(const Vertex3d& v)
{
    const float w = 1.0f / v.z;
    const auto channel = [&v](int shift) { return float((v.color >> shift) & 0xFF); };
    return {w, v.u * w, v.v * w, channel(16), channel(8), channel(0)};
}

struct RefEdge {
    int top = 0, bottom = 0;
    float x = 0, xStep = 0;
    Attrs at;
};

struct Reference {
    const Scene& scene;
    Image image;

    bool makeEdge(const Vertex3d& a, const Vertex3d& b, RefEdge& e) const
    {
        const Vertex3d& top = b.y < a.y ? b : a;
        const Vertex3d& bottom = b.y < a.y ? a : b;
        e.top = static_cast<int>(std::ceil(top.y));
        e.bottom = std::min(static_cast<int>(std::ceil(bottom.y)) - 1, scene.height - 1);
        const float pre = static_cast<float>(e.top) - top.y;
        e.xStep = (bottom.x - top.x) * (1.0f / (bottom.y - top.y));
        e.x = e.xStep * pre + top.x;
        e.at.between(valuesOf(top), valuesOf(bottom), bottom.y - top.y, pre);
        if (e.top < 0) {
            e.x += static_cast<float>(-e.top) * e.xStep;
            e.at.skip(static_cast<float>(-e.top));
            e.top = 0;
        }
        return e.bottom >= e.top;
    }

    void draw(const RefPolygon& polygon)
    {
        std::vector<RefEdge> edges;
        const size_t n = polygon.vertices.size();
        for (size_t i = 0; i < n; ++i) {
            RefEdge e;
            if (makeEdge(polygon.vertices[(i + n - 1) % n], polygon.vertices[i], e)) {
                edges.push_back(e);
            }
        }
        int left = -1, right = -1;
        for (int y = 0; y < scene.height; ++y) {
            std::vector<int> active;
            for (int i = 0; i < static_cast<int>(edges.size()); ++i) {
                if (edges[i].top <= y && y <= edges[i].bottom) {
                    active.push_back(i);
                }
            }
            if (active.empty()) {
                continue;
            }
            ASSERT_EQ(active.size(), 2u) << "reference scenes are convex";
            // Sides are chosen when the pair of edges changes and kept while it lasts.
            if (std::minmax(left, right) != std::minmax(active[0], active[1])) {
                const RefEdge &p = edges[active[0]], &q = edges[active[1]];
                const bool swap = q.x < p.x || (q.x == p.x && q.xStep < p.xStep);
                left = active[swap ? 1 : 0];
                right = active[swap ? 0 : 1];
            }
            RefEdge &l = edges[left], &r = edges[right];
            int xl = static_cast<int>(std::ceil(l.x));
            int count = static_cast<int>(std::ceil(r.x)) - xl;
            Attrs span;
            span.between(l.at.value, r.at.value, r.x - l.x == 0.0f ? -1.0f : r.x - l.x,
                         static_cast<float>(xl) - l.x);
            l.at.skip(1.0f);
            r.at.skip(1.0f);
            l.x += l.xStep;
            r.x += r.xStep;
            if (xl < 0) {
                span.skip(static_cast<float>(-xl));
                count += xl;
                xl = 0;
            }
            Attrs now = span;
            for (int i = 0; i < std::min(count, scene.width - xl); ++i, now.skip(1.0f)) {
                shade(polygon, xl + i, y, i, span, now.value);
            }
        }
    }

    void shade(const RefPolygon& polygon, int x, int y, int i, const Attrs& span, const Values& now)
    {
        float& depth = image.depth[y * scene.width + x];
        uint32_t& pixel = image.pixels[y * scene.width + x];
        if (!(now[W] > depth)) {
            return;
        }
        const bool textured = polygon.type == PTEX || polygon.type == PTEXGOURAUD;
        uint32_t texel = 0;
        if (textured) {
            int64_t u = fixedOf(now[UZ] / now[W]), v = fixedOf(now[VZ] / now[W]);
            if (span.step[W] == 0.0f) { // constant depth: 16.16 stepping from the span start
                const float z = 1.0f / span.value[W];
                u = fixedAt(z * span.value[UZ], z * span.step[UZ], i);
                v = fixedAt(z * span.value[VZ], z * span.step[VZ], i);
            }
            const Surface& t = *polygon.texture;
            const int width = t.getSdlSurface()->w, height = t.getSdlSurface()->h;
            const auto wrap = [](int64_t fixed, int64_t size) {
                return (static_cast<int64_t>(std::floor(fixed / 65536.0)) % size + size) % size;
            };
            texel = pixelOf(t, int(wrap(u, width)), int(wrap(v, height)));
            if (polygon.mask && texel == 0) {
                return;
            }
        }
        uint32_t shade = 0xFF000000, source = 0;
        for (int c = 0; c < 3; ++c) {
            shade |= ((fixedAt(span.value[R + c], span.step[R + c], i) >> 16) & 0xFF)
                     << (16 - 8 * c);
        }
        for (int byte = 0; byte < 32; byte += 8) { // the mean, used by PTEXGOURAUD only
            source |= (((texel >> byte) & 0xFF) + ((shade >> byte) & 0xFF)) / 2 << byte;
        }
        source = polygon.type == PFLAT      ? polygon.vertices[0].color
                 : polygon.type == PGOURAUD ? shade
                 : polygon.type == PTEX     ? texel
                                            : source;
        if (polygon.alpha != 0) {
            const uint64_t a = source >> 24, alpha = polygon.alpha + 1u;
            const uint64_t weight = !textured ? alpha : a == 0 ? 0 : (a + 1) * alpha / 256;
            // Red and blue add to the whole old pixel, green to its green alone.
            const auto part = [&](uint32_t m, uint32_t base) {
                const uint32_t difference = (source & m) - (pixel & m);
                return m & (base + (static_cast<uint32_t>(difference * weight) >> 8));
            };
            source = part(0x00FF00FF, pixel) | part(0x0000FF00, pixel & 0x0000FF00);
        }
        pixel = source;
        depth = now[W];
    }
};

// The engine's picture; its depth buffer has a margin that must stay untouched. With drew,
// also which polygons changed any depth value.
Image renderWithEngine(const Scene& scene, std::vector<bool>* drew = nullptr)
{
    RenderTarget target(scene.width, scene.height, 4, scene.bgr);
    target.surface.fillRect(nullptr, scene.background);
    for (const RefPolygon& p : scene.polygons) {
        const std::vector<float> before = drew ? target.depth : std::vector<float>();
        drawPolygon(target, p.vertices, p.type, p.texture, p.alpha, p.mask);
        if (drew) {
            drew->push_back(std::memcmp(before.data(), target.depth.data(),
                                        before.size() * sizeof(float)) != 0);
        }
    }
    EXPECT_TRUE(target.paddingUntouched());
    Image image;
    for (int i = 0; i < scene.width * scene.height; ++i) {
        image.pixels.push_back(target.pixel(i % scene.width, i / scene.width));
        image.depth.push_back(target.depthAt(i % scene.width, i / scene.width));
    }
    return image;
}

// Compares the engine with the reference; returns the reference's picture.
Image expectSameImage(const Scene& scene)
{
    const size_t area = scene.width * scene.height;
    Reference reference{
        scene, {std::vector<uint32_t>(area, scene.background), std::vector<float>(area, 0.0f)}};
    for (const RefPolygon& polygon : scene.polygons) {
        reference.draw(polygon);
    }
    const Image engine = renderWithEngine(scene), &expected = reference.image;
    for (size_t i = 0; i < area; ++i) {
        if (engine.pixels[i] != expected.pixels[i] || engine.depth[i] != expected.depth[i]) {
            ADD_FAILURE() << "first difference at " << i % scene.width << "," << i / scene.width
                          << std::hex << ": engine " << engine.pixels[i] << ", reference "
                          << expected.pixels[i] << std::dec << ", depth " << engine.depth[i]
                          << " vs " << expected.depth[i];
            break;
        }
    }
    return expected;
}

struct Random {
    uint32_t state;
    uint32_t next() { return state = state * 1664525u + 1013904223u; }
    float uniform(float low, float high)
    {
        return low + (high - low) * static_cast<float>(next() >> 8) / 16777216.0f;
    }
    int below(int n) { return static_cast<int>((next() >> 8) % static_cast<uint32_t>(n)); }
};

std::shared_ptr<Surface> randomTexture(Random& random, int width, int height)
{
    std::vector<uint32_t> texels;
    for (int i = 0; i < width * height; ++i) {
        const uint32_t alphas[4] = {0x00, 0x80, 0xFF, random.next() >> 24};
        uint32_t texel = (random.next() & 0x00FFFFFF) | (alphas[random.below(4)] << 24);
        texels.push_back(random.below(6) == 0 ? 0 : texel);
    }
    return makeTexture(width, height, texels);
}

// A convex polygon with corners on an ellipse, either winding; drawer 0 to 19 picks type,
// blending, masking and constant depth so that each index lands on a different drawer.
RefPolygon randomPolygon(Random& random, const Scene& scene, int drawer, int corners)
{
    RefPolygon polygon;
    const bool textured = drawer >= 4;
    polygon.type = textured ? (drawer < 12 ? PTEX : PTEXGOURAUD) : uint32_t(drawer / 2);
    const int variant = textured ? (drawer - 4) % 8 : drawer % 2;
    const bool blends = textured ? (variant & 2) != 0 : variant == 1;
    polygon.alpha = blends ? static_cast<uint8_t>(1 + random.below(255)) : 0;
    polygon.mask = textured && (variant & 1);
    const bool constantDepth = textured && (variant & 4);
    if (textured) {
        polygon.texture = scene.textures[random.below(3)].get();
    }
    const float cx = random.uniform(-8.0f, scene.width + 8.0f);
    const float cy = random.uniform(-8.0f, scene.height + 8.0f);
    const float rx = random.uniform(3.0f, scene.width * 0.6f);
    const float ry = random.uniform(3.0f, scene.height * 0.6f);
    const float depth = random.uniform(1.0f, 8.0f);
    // Corners in order of t on ((1 - t²), 2t) / (1 + t²): no library trigonometry, so the
    // scenes are the same everywhere.
    std::vector<float> turns;
    for (int i = 0; i < corners; ++i) {
        turns.push_back(random.uniform(-4.0f, 4.0f));
    }
    std::sort(turns.begin(), turns.end());
    if (random.below(2)) {
        std::reverse(turns.begin(), turns.end());
    }
    for (const float t : turns) {
        const float x = cx + rx * (1.0f - t * t) / (1.0f + t * t);
        const float y = cy + ry * (2.0f * t) / (1.0f + t * t);
        const float z = constantDepth ? depth : depth + random.uniform(-0.9f, 4.0f);
        const float u = random.uniform(-80.0f, 80.0f), v = random.uniform(-80.0f, 80.0f);
        polygon.vertices.push_back(Vertex3d{x, y, z, u, v, random.next()});
    }
    return polygon;
}

Scene randomScene(uint32_t seed, int width, int height, int polygonCount)
{
    Random random{seed};
    Scene scene{width, height, random.next(), {}, {}};
    scene.textures = {randomTexture(random, 16, 8), randomTexture(random, 1, 1),
                      randomTexture(random, 4, 32)};
    for (int i = 0; i < polygonCount; ++i) {
        const int corners = i % 17 == 16 ? 40 : 3 + random.below(6);
        scene.polygons.push_back(randomPolygon(random, scene, i % 20, corners));
    }
    return scene;
}

TEST(PolygonReference, SmallScenesMatchPixelForPixel)
{
    for (uint32_t seed = 1; seed <= 12; ++seed) {
        SCOPED_TRACE(seed);
        const Image reference = expectSameImage(randomScene(seed, 48, 40, 40));
        // A blank picture would match trivially.
        EXPECT_GT(std::count_if(reference.depth.begin(), reference.depth.end(),
                                [](float d) { return d != 0.0f; }),
                  48 * 40 / 2);
    }
}

uint32_t checksum(const Image& image)
{
    std::vector<uint32_t> words(image.pixels); // the pixels, then the depth values' bits
    words.resize(2 * words.size());
    std::memcpy(&words[image.pixels.size()], image.depth.data(), image.depth.size() * 4);
    uint32_t hash = 2166136261u; // FNV-1a
    for (size_t byte = 0; byte < 4 * words.size(); ++byte) {
        hash = (hash ^ ((words[byte / 4] >> byte % 4 * 8) & 0xFF)) * 16777619u;
    }
    return hash;
}

TEST(PolygonReference, GoldenScenesArePinned)
{
    // Checksums of the reference's pictures, which the engine matches exactly.
    const uint32_t goldens[][2] = {{101, 0x274B41F6}, {202, 0x6FAA783D}, {303, 0x0290D9E1}};
    for (const auto& [seed, hash] : goldens) {
        SCOPED_TRACE(seed);
        EXPECT_EQ(checksum(expectSameImage(randomScene(seed, 160, 120, 120))), hash);
    }
}

// Scenes of every size up to 320 x 240 with all twenty drawers, clipped on every side, some at
// constant depth, some with 16.16 texture coordinates out of range, a quarter of them in BGR
// order; every pixel and depth value of every vector path the processor has must be the scalar
// path's.
TEST(RenderPaths, EveryPathDrawsWhatTheScalarPipelineDraws)
{
    std::vector<RenderPath> paths;
    for (const RenderPath path : {RenderPath::Sse2, RenderPath::Avx2}) {
        if (renderPathSupported(path)) {
            paths.push_back(path);
            std::printf("against scalar: %s\n", renderPathName(path));
        }
    }
#if defined(__x86_64__)
    ASSERT_FALSE(paths.empty());
#endif
    std::vector<bool> drawerDrew(20), sideClipped(4);
    Random sizes{2026};
    for (uint32_t seed = 1; seed <= 200; ++seed) {
        SCOPED_TRACE(seed);
        const int width = 1 + sizes.below(320), height = 1 + sizes.below(240);
        Scene scene = randomScene(seed, width, height, 24);
        scene.bgr = seed % 4 == 0;
        for (size_t i = 0; i < scene.polygons.size(); ++i) {
            for (Vertex3d& corner : scene.polygons[i].vertices) {
                // u × 65536 past 2^31: the integer indefinite. 1/z linear in y: rows of constant
                // depth, but for the edges' rounding, sharing a vector path's batch with others.
                corner.u *= i % 7 == 3 ? 4000.0f : 1.0f;
                corner.z = i % 10 == 4 ? 1.0f / (1.0f + corner.y / 512.0f) : corner.z;
            }
        }
        ASSERT_EQ(setRenderPath(RenderPath::Scalar), RenderPath::Scalar);
        std::vector<bool> drew;
        const Image scalar = renderWithEngine(scene, &drew);
        for (size_t i = 0; i < drew.size(); ++i) {
            drawerDrew[i % 20] = drawerDrew[i % 20] || drew[i];
            for (const Vertex3d& corner : scene.polygons[i].vertices) {
                const bool outside[4] = {corner.x<0, corner.x> width, corner.y<0, corner.y> height};
                for (int side = 0; side < 4; ++side) {
                    sideClipped[side] = sideClipped[side] || (drew[i] && outside[side]);
                }
            }
        }
        for (const RenderPath path : paths) {
            ASSERT_EQ(setRenderPath(path), path);
            const Image image = renderWithEngine(scene);
            ASSERT_EQ(renderPath(), path);
            ASSERT_EQ(std::memcmp(image.depth.data(), scalar.depth.data(),
                                  image.depth.size() * sizeof(float)),
                      0)
                << renderPathName(path);
            ASSERT_EQ(image.pixels, scalar.pixels) << renderPathName(path);
        }
    }
    setRenderPath(widestRenderPath());
    EXPECT_EQ(std::count(drawerDrew.begin(), drawerDrew.end(), true), 20);
    EXPECT_EQ(std::count(sideClipped.begin(), sideClipped.end(), true), 4);
}

} // namespace
