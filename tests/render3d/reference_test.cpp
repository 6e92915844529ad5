// The renderer against a plain reference rasteriser written here from the rules: per row it
// finds the two edges that cover the row, per pixel it evaluates depth, texel, colour and
// blend channel by channel in 64-bit integers. Random scenes exercise all twenty drawers;
// larger scenes are then pinned by checksum so that any change to the arithmetic shows.
#include "rendertarget.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace
{

struct RefTexture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> texels;
};

struct RefPolygon {
    uint32_t type = PFLAT;
    uint8_t alpha = 0;
    bool mask = false;
    int texture = -1; // index into the scene's textures
    std::vector<Vertex3d> vertices;
};

struct Scene {
    int width = 0;
    int height = 0;
    uint32_t background = 0;
    std::vector<RefTexture> textures;
    std::vector<RefPolygon> polygons;
};

struct Image {
    std::vector<uint32_t> pixels;
    std::vector<float> depth;
};

// 16.16 by the rule: the product in single precision, then nearest integer, ties to even;
// NaN or out of range is 0x80000000.
int32_t fixedOf(float a)
{
    const float product = a * 65536.0f;
    if (std::isnan(product) || product < -2147483648.0 || product >= 2147483648.0) {
        return INT32_MIN;
    }
    double whole = std::floor(static_cast<double>(product));
    const double fraction = product - whole;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0.0)) {
        whole += 1.0;
    }
    return static_cast<int32_t>(whole);
}

uint32_t wrap32(int64_t value)
{
    return static_cast<uint32_t>(value & 0xFFFFFFFF);
}

int64_t floorDiv(int64_t a, int64_t b)
{
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

int64_t positiveMod(int64_t a, int64_t m)
{
    return ((a % m) + m) % m;
}

struct Values {
    float uz = 0, vz = 0, uzStep = 0, vzStep = 0, w = 0, wStep = 0;
    float r = 0, g = 0, b = 0, rStep = 0, gStep = 0, bStep = 0;
};

struct RefEdge {
    int top = 0, bottom = 0;
    float x = 0, xStep = 0;
    Values at;
};

class Reference
{
public:
    explicit Reference(const Scene& scene) : scene(scene)
    {
        image.pixels.assign(scene.width * scene.height, scene.background);
        image.depth.assign(scene.width * scene.height, 0.0f);
    }

    Image render()
    {
        for (const RefPolygon& polygon : scene.polygons) {
            draw(polygon);
        }
        return image;
    }

private:
    // Edge from a to b by the set-up rules, with the target's 0x00RRGGBB channels.
    bool makeEdge(const Vertex3d& a, const Vertex3d& b, bool shaded, RefEdge& e) const
    {
        const Vertex3d& top = b.y < a.y ? b : a;
        const Vertex3d& bottom = b.y < a.y ? a : b;
        e.top = static_cast<int>(std::ceil(top.y));
        e.bottom = static_cast<int>(std::ceil(bottom.y)) - 1;
        if (e.bottom < e.top) {
            return false;
        }
        const float invDy = 1.0f / (bottom.y - top.y);
        const float pre = static_cast<float>(e.top) - top.y;
        e.xStep = (bottom.x - top.x) * invDy;
        e.x = e.xStep * pre + top.x;
        const float w0 = 1.0f / top.z, w1 = 1.0f / bottom.z;
        e.at.wStep = (w1 - w0) * invDy;
        e.at.w = e.at.wStep * pre + w0;
        e.at.uzStep = (bottom.u * w1 - top.u * w0) * invDy;
        e.at.vzStep = (bottom.v * w1 - top.v * w0) * invDy;
        e.at.uz = pre * e.at.uzStep + top.u * w0;
        e.at.vz = pre * e.at.vzStep + top.v * w0;
        if (shaded) {
            const float channels[2][3] = {{float((top.color >> 16) & 0xFF),
                                           float((top.color >> 8) & 0xFF), float(top.color & 0xFF)},
                                          {float((bottom.color >> 16) & 0xFF),
                                           float((bottom.color >> 8) & 0xFF),
                                           float(bottom.color & 0xFF)}};
            const float dy = bottom.y - top.y;
            e.at.rStep = (channels[1][0] - channels[0][0]) / dy;
            e.at.gStep = (channels[1][1] - channels[0][1]) / dy;
            e.at.bStep = (channels[1][2] - channels[0][2]) / dy;
            e.at.r = pre * e.at.rStep + channels[0][0];
            e.at.g = pre * e.at.gStep + channels[0][1];
            e.at.b = pre * e.at.bStep + channels[0][2];
        }
        if (e.top < 0) {
            const float n = static_cast<float>(-e.top);
            e.top = 0;
            e.x += n * e.xStep;
            skip(e.at, n, shaded);
        }
        e.bottom = std::min(e.bottom, scene.height - 1);
        return e.bottom >= e.top;
    }

    static void skip(Values& v, float n, bool shaded)
    {
        if (shaded) {
            v.r += n * v.rStep;
            v.g += n * v.gStep;
            v.b += n * v.bStep;
        }
        v.w += n * v.wStep;
        v.uz += n * v.uzStep;
        v.vz += n * v.vzStep;
    }

    void draw(const RefPolygon& polygon)
    {
        const bool shaded = polygon.type == PGOURAUD || polygon.type == PTEXGOURAUD;
        std::vector<RefEdge> edges;
        const size_t n = polygon.vertices.size();
        for (size_t i = 0; i < n; ++i) {
            RefEdge e;
            if (makeEdge(polygon.vertices[(i + n - 1) % n], polygon.vertices[i], shaded, e)) {
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
            const bool samePair = (active[0] == left && active[1] == right) ||
                                  (active[0] == right && active[1] == left);
            if (!samePair) {
                const RefEdge& p = edges[active[0]];
                const RefEdge& q = edges[active[1]];
                const bool swap = q.x < p.x || (q.x == p.x && q.xStep < p.xStep);
                left = swap ? active[1] : active[0];
                right = swap ? active[0] : active[1];
            }
            drawRow(polygon, shaded, y, edges[left], edges[right]);
        }
    }

    void drawRow(const RefPolygon& polygon, bool shaded, int y, RefEdge& l, RefEdge& r)
    {
        int xl = static_cast<int>(std::ceil(l.x));
        int count = static_cast<int>(std::ceil(r.x)) - xl;
        const float pre = static_cast<float>(xl) - l.x;
        const float width = r.x - l.x == 0.0f ? -1.0f : r.x - l.x;
        Values s;
        if (shaded) {
            s.rStep = (r.at.r - l.at.r) / width;
            s.gStep = (r.at.g - l.at.g) / width;
            s.bStep = (r.at.b - l.at.b) / width;
            s.r = pre * s.rStep + l.at.r;
            s.g = pre * s.gStep + l.at.g;
            s.b = pre * s.bStep + l.at.b;
        }
        const float k = 1.0f / width;
        s.wStep = (r.at.w - l.at.w) * k;
        s.w = s.wStep * pre + l.at.w;
        s.uzStep = (r.at.uz - l.at.uz) * k;
        s.vzStep = (r.at.vz - l.at.vz) * k;
        s.uz = pre * s.uzStep + l.at.uz;
        s.vz = pre * s.vzStep + l.at.vz;
        for (RefEdge* e : {&l, &r}) {
            if (shaded) {
                e->at.r += e->at.rStep;
                e->at.g += e->at.gStep;
                e->at.b += e->at.bStep;
            }
            e->at.w += e->at.wStep;
            e->at.uz += e->at.uzStep;
            e->at.vz += e->at.vzStep;
        }
        if (xl < 0) {
            skip(s, static_cast<float>(-xl), shaded);
            count += xl;
            xl = 0;
        }
        count = std::min(count, scene.width - xl);
        for (int i = 0; i < count; ++i) {
            shadePixel(polygon, xl + i, y, i, s);
        }
        l.x += l.xStep;
        r.x += r.xStep;
    }

    // Pixel i of a span, every running value recomputed from the span start.
    void shadePixel(const RefPolygon& polygon, int x, int y, int i, const Values& s)
    {
        float invZ = s.w, uz = s.uz, vz = s.vz;
        for (int step = 0; step < i; ++step) {
            invZ += s.wStep;
            uz += s.uzStep;
            vz += s.vzStep;
        }
        float& depth = image.depth[y * scene.width + x];
        uint32_t& pixel = image.pixels[y * scene.width + x];
        if (!(invZ > depth)) {
            return;
        }
        const bool textured = polygon.type == PTEX || polygon.type == PTEXGOURAUD;
        uint32_t texel = 0;
        if (textured) {
            int64_t u, v;
            if (s.wStep == 0.0f) {
                const float z = 1.0f / s.w;
                u = int64_t(fixedOf(z * s.uz)) + int64_t(i) * fixedOf(z * s.uzStep);
                v = int64_t(fixedOf(z * s.vz)) + int64_t(i) * fixedOf(z * s.vzStep);
                u = int32_t(wrap32(u));
                v = int32_t(wrap32(v));
            } else {
                u = fixedOf(uz / invZ);
                v = fixedOf(vz / invZ);
            }
            const RefTexture& t = scene.textures[polygon.texture];
            const int64_t column = positiveMod(floorDiv(u, 65536), t.width);
            const int64_t row = positiveMod(floorDiv(v, 65536), t.height);
            texel = t.texels[row * t.width + column];
            if (polygon.mask && texel == 0) {
                return;
            }
        }
        uint32_t shade = 0xFF000000;
        if (polygon.type == PGOURAUD || polygon.type == PTEXGOURAUD) {
            const float start[3] = {s.r, s.g, s.b}, steps[3] = {s.rStep, s.gStep, s.bStep};
            const int shifts[3] = {16, 8, 0};
            for (int c = 0; c < 3; ++c) {
                const int64_t value = int64_t(fixedOf(start[c])) + int64_t(i) * fixedOf(steps[c]);
                shade |= ((wrap32(value) >> 16) & 0xFF) << shifts[c];
            }
        }
        uint32_t source = 0;
        switch (polygon.type) {
        case PFLAT:
            source = polygon.vertices[0].color;
            break;
        case PGOURAUD:
            source = shade;
            break;
        case PTEX:
            source = texel;
            break;
        default:
            for (int byte = 0; byte < 4; ++byte) {
                const uint32_t sum =
                    ((texel >> (8 * byte)) & 0xFF) + ((shade >> (8 * byte)) & 0xFF);
                source |= (sum / 2) << (8 * byte);
            }
        }
        if (polygon.alpha == 0) {
            pixel = source;
        } else {
            int64_t weight = polygon.alpha + 1;
            if (textured) {
                const int64_t a = source >> 24;
                weight = a == 0 ? 0 : (a + 1) * (polygon.alpha + 1) / 256;
            }
            const int64_t rb = 0x00FF00FF, g = 0x0000FF00, d = pixel;
            const int64_t rbPart =
                rb & (d + int64_t(wrap32(int64_t(wrap32((source & rb) - (d & rb))) * weight) >> 8));
            const int64_t gPart =
                g &
                ((d & g) + int64_t(wrap32(int64_t(wrap32((source & g) - (d & g))) * weight) >> 8));
            pixel = wrap32(rbPart | gPart);
        }
        depth = invZ;
    }

    const Scene& scene;
    Image image;
};

Image renderWithEngine(const Scene& scene)
{
    RenderTarget target(scene.width, scene.height);
    target.fill(scene.background);
    std::vector<std::unique_ptr<Surface>> textures;
    for (const RefTexture& t : scene.textures) {
        textures.push_back(makeTexture(t.width, t.height, t.texels));
    }
    for (const RefPolygon& polygon : scene.polygons) {
        drawPolygon(target, polygon.vertices, polygon.type,
                    polygon.texture >= 0 ? textures[polygon.texture].get() : nullptr, polygon.alpha,
                    polygon.mask);
    }
    return Image{target.pixels(), target.depth};
}

class Random
{
public:
    explicit Random(uint32_t seed) : state(seed) {}
    uint32_t next()
    {
        state = state * 1664525u + 1013904223u;
        return state;
    }
    float uniform(float low, float high)
    {
        return low + (high - low) * static_cast<float>(next() >> 8) / 16777216.0f;
    }
    int below(int n) { return static_cast<int>((next() >> 8) % static_cast<uint32_t>(n)); }

private:
    uint32_t state;
};

RefTexture randomTexture(Random& random, int width, int height)
{
    RefTexture texture{width, height, {}};
    for (int i = 0; i < width * height; ++i) {
        const uint32_t alphas[4] = {0x00, 0x80, 0xFF, random.next() >> 24};
        uint32_t texel = (random.next() & 0x00FFFFFF) | (alphas[random.below(4)] << 24);
        texture.texels.push_back(random.below(6) == 0 ? 0 : texel);
    }
    return texture;
}

// A convex polygon with corners on an ellipse, either winding. Polygons of
// the drawer index given cover all twenty drawers as index runs from 0 to 19.
RefPolygon randomPolygon(Random& random, const Scene& scene, int drawer, int corners)
{
    RefPolygon polygon;
    const bool textured = drawer >= 4;
    polygon.type =
        textured ? (drawer < 12 ? PTEX : PTEXGOURAUD) : static_cast<uint32_t>(drawer / 2);
    const int variant = textured ? (drawer - 4) % 8 : drawer % 2;
    const bool blends = textured ? (variant & 2) != 0 : variant == 1;
    polygon.alpha = blends ? static_cast<uint8_t>(1 + random.below(255)) : 0;
    polygon.mask = textured && (variant & 1);
    const bool constantDepth = textured && (variant & 4);
    if (textured) {
        polygon.texture = random.below(static_cast<int>(scene.textures.size()));
    }

    const float cx = random.uniform(-8.0f, scene.width + 8.0f);
    const float cy = random.uniform(-8.0f, scene.height + 8.0f);
    const float rx = random.uniform(3.0f, scene.width * 0.6f);
    const float ry = random.uniform(3.0f, scene.height * 0.6f);
    const float depth = random.uniform(1.0f, 8.0f);
    // Corners on the ellipse by the rational parametrisation ((1 - t²), 2t) / (1 + t²), which
    // goes round in order of t without any library trigonometry, so scenes are the same
    // wherever the test runs.
    std::vector<float> turns;
    for (int i = 0; i < corners; ++i) {
        turns.push_back(random.uniform(-4.0f, 4.0f));
    }
    std::sort(turns.begin(), turns.end());
    if (random.below(2)) {
        std::reverse(turns.begin(), turns.end());
    }
    for (const float t : turns) {
        Vertex3d v;
        v.x = cx + rx * (1.0f - t * t) / (1.0f + t * t);
        v.y = cy + ry * (2.0f * t) / (1.0f + t * t);
        v.z = constantDepth ? depth : depth + random.uniform(-0.9f, 4.0f);
        v.u = random.uniform(-80.0f, 80.0f);
        v.v = random.uniform(-80.0f, 80.0f);
        v.color = random.next();
        polygon.vertices.push_back(v);
    }
    return polygon;
}

Scene randomScene(uint32_t seed, int width, int height, int polygonCount)
{
    Random random(seed);
    Scene scene;
    scene.width = width;
    scene.height = height;
    scene.background = random.next();
    scene.textures = {randomTexture(random, 16, 8), randomTexture(random, 1, 1),
                      randomTexture(random, 4, 32)};
    for (int i = 0; i < polygonCount; ++i) {
        const int corners = i % 17 == 16 ? 40 : 3 + random.below(6);
        scene.polygons.push_back(randomPolygon(random, scene, i % 20, corners));
    }
    return scene;
}

uint32_t checksum(const Image& image)
{
    uint32_t hash = 2166136261u; // FNV-1a over the pixels, then the depth values' bits
    const auto add = [&hash](uint32_t word) {
        for (int byte = 0; byte < 4; ++byte) {
            hash = (hash ^ ((word >> (8 * byte)) & 0xFF)) * 16777619u;
        }
    };
    for (const uint32_t pixel : image.pixels) {
        add(pixel);
    }
    for (const float depth : image.depth) {
        uint32_t bits = 0;
        std::memcpy(&bits, &depth, sizeof bits);
        add(bits);
    }
    return hash;
}

void expectSameImage(const Scene& scene, const Image& engine, const Image& reference)
{
    int mismatches = 0;
    for (size_t i = 0; i < engine.pixels.size() && mismatches < 10; ++i) {
        if (engine.pixels[i] != reference.pixels[i] || engine.depth[i] != reference.depth[i]) {
            ++mismatches;
            ADD_FAILURE() << "pixel " << i % scene.width << "," << i / scene.width << ": engine "
                          << std::hex << engine.pixels[i] << " reference " << reference.pixels[i]
                          << std::dec << ", depth " << engine.depth[i] << " vs "
                          << reference.depth[i];
        }
    }
}

TEST(PolygonReference, SmallScenesMatchPixelForPixel)
{
    for (uint32_t seed = 1; seed <= 12; ++seed) {
        SCOPED_TRACE(seed);
        const Scene scene = randomScene(seed, 48, 40, 40);
        const Image reference = Reference(scene).render();
        const Image engine = renderWithEngine(scene);
        expectSameImage(scene, engine, reference);
        // The scene must actually have drawn: a blank picture would match trivially.
        EXPECT_GT(std::count_if(reference.depth.begin(), reference.depth.end(),
                                [](float d) { return d != 0.0f; }),
                  48 * 40 / 2);
    }
}

TEST(PolygonReference, GoldenScenesArePinned)
{
    // Checksums of the reference rasteriser's pictures; the engine must match them exactly.
    struct Golden {
        uint32_t seed;
        uint32_t hash;
    };
    const Golden goldens[] = {
        {101, 0x274B41F6},
        {202, 0x6FAA783D},
        {303, 0x0290D9E1},
    };
    for (const Golden& golden : goldens) {
        SCOPED_TRACE(golden.seed);
        const Scene scene = randomScene(golden.seed, 160, 120, 120);
        const Image reference = Reference(scene).render();
        const Image engine = renderWithEngine(scene);
        expectSameImage(scene, engine, reference);
        EXPECT_EQ(checksum(reference), golden.hash) << std::hex << checksum(reference);
        EXPECT_EQ(checksum(engine), golden.hash);
    }
}

} // namespace
