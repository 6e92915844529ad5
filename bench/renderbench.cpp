// renderbench: our Polygon3d against Allegro 4's software 3D renderer and SDL_gfx on the same
// scenes in one process, with a memory-traffic bound. Repetitions are interleaved across every
// cell (repetition 1 of each, then repetition 2, ...) so that ratios hold on a busy machine.
#include "allegropeer.h"
#include "benchscene.h"
#include "demo/matrix.h"
#include "tarvo/core/log.h"
#include "tarvo/render3d/polygon.h"
#include "tarvo/render3d/renderpath.h"
#include "tarvo/video/surface.h"

#include <SDL_gfxPrimitives.h>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <list>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <time.h>

using namespace morwenfall;
using namespace tarvo;

namespace
{

const char* const kCaseNames[kBenchCaseCount] = {"flat",           "Gouraud", "perspective texture",
                                                 "affine texture", "masked",  "translucent",
                                                 "texture + shade"};
const char* const kAllegroNames[kBenchCaseCount] = {"FLAT",      "GRGB",       "PTEX",    "ATEX",
                                                    "PTEX_MASK", "PTEX_TRANS", "PTEX_LIT"};
const int kTextureSide = 64;
const unsigned kFillSeed = 20261207;
const int kCubePoses = 16;
const double kCellSeconds = 0.03; // each timed cell runs about this long

BenchCase caseAt(int index)
{
    return static_cast<BenchCase>(index);
}

// Pixel centres at +0.5, where every renderer's sampling agrees.
float snap(float value)
{
    return std::floor(value) + 0.5f;
}

BenchTexture makeTexture()
{
    BenchTexture texture;
    texture.side = kTextureSide;
    for (int y = 0; y < kTextureSide; ++y) {
        for (int x = 0; x < kTextureSide; ++x) {
            const uint32_t shade = static_cast<uint32_t>((x * 4) ^ (y * 4)) & 0xFFu;
            const uint32_t texel = 0xFF000000u | ((x * 4u) << 16) | (shade << 8) | (y * 4u);
            texture.texels.push_back(texel);
            const bool hole = ((x / 4) + (y / 4)) % 5 == 0;
            texture.masked.push_back(hole ? 0 : texel);
        }
    }
    return texture;
}

uint8_t brightness(uint32_t color)
{
    return static_cast<uint8_t>(
        std::max({(color >> 16) & 0xFFu, (color >> 8) & 0xFFu, color & 0xFFu}));
}

// The affine case: every corner of a quad at the quad's mean depth.
void flattenDepth(BenchQuad& quad)
{
    const float mean =
        (quad.corners[0].z + quad.corners[1].z + quad.corners[2].z + quad.corners[3].z) * 0.25f;
    for (BenchVertex& corner : quad.corners) {
        corner.z = mean;
    }
}

// The polygon stage's two cubes: camera, viewport, faces, colours and texture corners as there.
std::vector<BenchFrame> cubeFrames(BenchCase kind)
{
    static const float kPositions[8][3] = {{-32, -32, -32}, {-32, 32, -32}, {32, 32, -32},
                                           {32, -32, -32},  {-32, -32, 32}, {-32, 32, 32},
                                           {32, 32, 32},    {32, -32, 32}};
    static const uint8_t kFaces[6][4] = {{2, 1, 0, 3}, {4, 5, 6, 7}, {0, 1, 5, 4},
                                         {2, 3, 7, 6}, {4, 7, 3, 0}, {1, 2, 6, 5}};
    static const uint32_t kLevels[8] = {0x20, 0x60, 0xA0, 0xE0, 0xE0, 0xA0, 0x60, 0x20};
    static const float kCornerUv[4][2] = {{0, 0}, {64, 0}, {64, 64}, {0, 64}};
    Matrix34 camera;
    camera.setLookAt({96, 96, 0}, {-1, -1, 0}, {0, 0, 1}, 64, 320.0f / 240.0f);
    const Viewport viewport{160, 120, 160, 120};
    const bool cull = kind != BenchCase::Translucent;

    std::vector<BenchFrame> frames;
    for (int pose = 0; pose < kCubePoses; ++pose) {
        const float p = static_cast<float>(pose);
        Matrix34 cubes[2];
        cubes[0].setRotation(0.8f, p * 11 + 3, p * 7 + 5, p * 13 + 1, -16, 16, 0);
        cubes[1].setRotation(1.0f, p * 5 + 2, p * 17 + 9, p * 3 + 4, 16, -16, 0);
        Vertex3d work[2][8];
        for (int c = 0; c < 2; ++c) {
            Matrix34::compose(cubes[c], camera, cubes[c]);
            Vertex3d model[8];
            for (int i = 0; i < 8; ++i) {
                model[i].x = kPositions[i][0];
                model[i].y = kPositions[i][1];
                model[i].z = kPositions[i][2];
            }
            transformVertices(cubes[c], model, work[c], 8);
            projectVertices(viewport, work[c], work[c], 8);
        }
        BenchFrame frame;
        const int farCube = cubes[0].t[2] > cubes[1].t[2] ? 0 : 1;
        for (int c : {farCube, 1 - farCube}) {
            for (const uint8_t* face : kFaces) {
                BenchQuad quad;
                for (int k = 0; k < 4; ++k) {
                    const Vertex3d& from = work[c][face[k]];
                    const uint32_t level = kLevels[face[k]];
                    const uint32_t color = c == 0 ? 0xFF000000u | level : 0xFF000000u | level << 8;
                    quad.corners[k] = {snap(from.x),     snap(from.y),    from.z,
                                       kCornerUv[k][0],  kCornerUv[k][1], color,
                                       brightness(color)};
                }
                const BenchVertex* q = quad.corners;
                const float winding =
                    (q[2].y - q[1].y) * (q[1].x - q[0].x) - (q[1].y - q[0].y) * (q[2].x - q[1].x);
                if (cull && !(winding > 0.0f)) {
                    continue;
                }
                if (kind == BenchCase::Affine) {
                    flattenDepth(quad);
                }
                frame.push_back(quad);
            }
        }
        frames.push_back(frame);
    }
    return frames;
}

// 64 tilted, overlapping quads, 100 to 400 pixels across, in generation order.
std::vector<BenchFrame> fillFrames(BenchCase kind)
{
    std::mt19937 random(kFillSeed);
    const auto uniform = [&random](float low, float high) {
        return low + (high - low) * static_cast<float>(random() % 100000u) / 100000.0f;
    };
    static const float kSigns[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
    BenchFrame frame;
    for (int i = 0; i < 64; ++i) {
        const float cx = uniform(0, 1280);
        const float cy = uniform(0, 720);
        const float half = uniform(50, 200);
        const float angle = uniform(0, 6.2831853f);
        const float depth = uniform(1, 10);
        const float tiltX = uniform(-0.4f, 0.4f);
        const float tiltY = uniform(-0.4f, 0.4f);
        BenchQuad quad;
        for (int k = 0; k < 4; ++k) {
            const float dx = kSigns[k][0];
            const float dy = kSigns[k][1];
            const float x = cx + half * (dx * std::cos(angle) - dy * std::sin(angle));
            const float y = cy + half * (dx * std::sin(angle) + dy * std::cos(angle));
            const uint32_t color = 0xFF000000u | (random() & 0xFFFFFFu);
            quad.corners[k] = {snap(x),
                               snap(y),
                               depth * (1 + tiltX * dx + tiltY * dy),
                               dx < 0 ? 0.0f : 128.0f,
                               dy < 0 ? 0.0f : 128.0f,
                               color,
                               brightness(color)};
        }
        if (kind == BenchCase::Affine) {
            flattenDepth(quad);
        }
        frame.push_back(quad);
    }
    return {frame};
}

// Our renderer: one target, depth buffer and polygon per scene.
struct OurScene {
    Surface target;
    Surface texture;
    Surface maskedTexture;
    std::vector<float> depth;
    DepthBuffer depthBuffer;
    Polygon3d polygon;

    OurScene(int width, int height, const BenchTexture& source)
        : depth(static_cast<size_t>(width) * static_cast<size_t>(height))
    {
        target.create(argbFormat(width, height, 0));
        depthBuffer = {depth.data(), width, height};
        polygon.depthBuffer = &depthBuffer;
        fillTexture(texture, source.texels);
        fillTexture(maskedTexture, source.masked);
    }

    void fillTexture(Surface& surface, const std::vector<uint32_t>& texels)
    {
        surface.create(argbFormat(kTextureSide, kTextureSide, 0xFF000000));
        auto* pixels = static_cast<uint32_t*>(surface.getSdlSurface()->pixels);
        std::copy(texels.begin(), texels.end(), pixels);
    }

    void drawFrame(BenchCase kind, const BenchFrame& frame)
    {
        static const uint32_t kTypes[kBenchCaseCount] = {PFLAT, PGOURAUD, PTEX,       PTEX,
                                                         PTEX,  PTEX,     PTEXGOURAUD};
        target.clear();
        clearDepth(depthBuffer);
        polygon.type = kTypes[static_cast<int>(kind)];
        polygon.interpFlags = kDefaultInterpFlags[polygon.type];
        polygon.alpha = kind == BenchCase::Translucent ? 127 : 0;
        polygon.maskZeroTexels = kind == BenchCase::Masked;
        polygon.setTexture(kind == BenchCase::Masked ? &maskedTexture : &texture);
        Vertex3d corners[4];
        Vertex3d* pointers[4] = {&corners[0], &corners[1], &corners[2], &corners[3]};
        polygon.vertices = pointers;
        polygon.vertexCount = 4;
        for (const BenchQuad& quad : frame) {
            for (int k = 0; k < 4; ++k) {
                const BenchVertex& from = quad.corners[k];
                corners[k] = {from.x, from.y, from.z, from.u, from.v, from.color};
            }
            polygon.draw(target);
        }
    }
};

// SDL_gfx: no depth test and no perspective; only the flat and texture cases have a match.
bool sdlGfxDraws(BenchCase kind)
{
    return kind == BenchCase::Flat || kind == BenchCase::Perspective || kind == BenchCase::Affine;
}

void sdlGfxDrawFrame(Surface& target, SDL_Surface* texture, BenchCase kind, const BenchFrame& frame)
{
    target.clear();
    Sint16 xs[4];
    Sint16 ys[4];
    for (const BenchQuad& quad : frame) {
        for (int k = 0; k < 4; ++k) {
            xs[k] = static_cast<Sint16>(std::floor(quad.corners[k].x));
            ys[k] = static_cast<Sint16>(std::floor(quad.corners[k].y));
        }
        if (kind == BenchCase::Flat) {
            // SDL_gfx takes 0xRRGGBBAA.
            filledPolygonColor(target.getSdlSurface(), xs, ys, 4,
                               (quad.corners[0].color << 8) | 0xFFu);
        } else {
            texturedPolygon(target.getSdlSurface(), xs, ys, 4, texture, 0, 0);
        }
    }
}

long nonZeroPixels(const Surface& surface)
{
    const SDL_Surface* s = surface.getSdlSurface();
    long count = 0;
    for (int y = 0; y < s->h; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(s->pixels) +
                                                            y * s->pitch);
        count += std::count_if(row, row + s->w, [](uint32_t p) { return p != 0; });
    }
    return count;
}

// The numerator for every renderer: pixels our scalar rasteriser covers, polygon by polygon.
double coveredPixels(OurScene& scene, const std::vector<BenchFrame>& frames)
{
    double total = 0;
    for (const BenchFrame& frame : frames) {
        for (const BenchQuad& quad : frame) {
            scene.drawFrame(BenchCase::Flat, {quad});
            total += static_cast<double>(std::count_if(scene.depth.begin(), scene.depth.end(),
                                                       [](float d) { return d != 0; }));
        }
    }
    return total;
}

// Reads and writes a float depth and writes a pixel for every pixel of the target: 12 bytes.
void memoryBound(std::vector<float>& depth, std::vector<uint32_t>& pixels)
{
    float* d = depth.data();
    uint32_t* p = pixels.data();
    const size_t n = depth.size();
    for (size_t i = 0; i < n; ++i) {
        d[i] = d[i] * 0.5f + 1.0f;
        p[i] = static_cast<uint32_t>(i);
    }
}

struct Cell {
    std::string scene, kind, renderer;
    double pixels = 0; // per repetition
    std::function<void()> run;
    int iterations = 1;
    std::vector<double> samples; // Mpixel/s
};

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Processor time of this thread, not wall time: on a shared machine the time other processes
// take the core away is not ours.
double threadSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

double seconds(const std::function<void()>& run, int iterations)
{
    const double start = threadSeconds();
    for (int i = 0; i < iterations; ++i) {
        run();
    }
    return threadSeconds() - start;
}

std::string cpuModel()
{
    std::ifstream info("/proc/cpuinfo");
    std::string line;
    while (std::getline(info, line)) {
        if (line.rfind("model name", 0) == 0) {
            return line.substr(line.find(':') + 2);
        }
    }
    return "unknown";
}

std::string format(const char* pattern, double a, double b = 0, double c = 0)
{
    char text[64];
    std::snprintf(text, sizeof text, pattern, a, b, c);
    return text;
}

// Replaces the text between the markers, or appends a marked section when there is none.
bool rewriteSection(const char* path, const std::string& table)
{
    const std::string open = "<!-- renderbench -->";
    const std::string close = "<!-- /renderbench -->";
    std::ifstream in(path);
    std::stringstream whole;
    whole << in.rdbuf();
    std::string text = whole.str();
    const size_t begin = text.find(open);
    const size_t end = text.find(close);
    const std::string section = open + "\n" + table + close;
    if (begin != std::string::npos && end != std::string::npos && end > begin) {
        text.replace(begin, end + close.size() - begin, section);
    } else {
        text += (text.empty() ? "" : "\n") + section + "\n";
    }
    std::ofstream out(path);
    out << text;
    return static_cast<bool>(out);
}

struct Options {
    int repetitions = 9;
    const char* markdown = nullptr;
    const char* only = nullptr; // one case, for profiling
};

bool parseOptions(int argc, char** argv, Options& options)
{
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--reps") && i + 1 < argc) {
            options.repetitions = std::max(1, std::atoi(argv[++i]));
        } else if (!std::strcmp(argv[i], "--markdown") && i + 1 < argc) {
            options.markdown = argv[++i];
        } else if (!std::strcmp(argv[i], "--only") && i + 1 < argc) {
            options.only = argv[++i];
        } else {
            std::fprintf(
                stderr,
                "usage: renderbench [--reps N] [--markdown docs/performance.md] [--only CASE]\n");
            return false;
        }
    }
    return true;
}

// Everything one scene's cells draw into, kept at one address for the cells' closures.
struct SceneRig {
    const char* name;
    std::vector<BenchFrame> (*makeFrames)(BenchCase);
    OurScene ours;
    AllegroScene* allegro;
    Surface gfx;
    std::vector<float> boundDepth;
    std::vector<uint32_t> boundPixels;
    std::vector<BenchFrame> frames[kBenchCaseCount];

    SceneRig(const char* name, std::vector<BenchFrame> (*makeFrames)(BenchCase), int width,
             int height, const BenchTexture& texture)
        : name(name), makeFrames(makeFrames), ours(width, height, texture),
          allegro(allegroCreateScene(width, height, texture)),
          boundDepth(static_cast<size_t>(width) * static_cast<size_t>(height)),
          boundPixels(boundDepth.size())
    {
        gfx.create(argbFormat(width, height, 0));
    }
    ~SceneRig() { allegroDestroyScene(allegro); }
    SceneRig(const SceneRig&) = delete;
    SceneRig& operator=(const SceneRig&) = delete;

    long nonZero(const std::string& renderer) const
    {
        if (renderer == "Allegro") {
            return allegroNonZeroPixels(allegro);
        }
        return nonZeroPixels(renderer == "SDL_gfx" ? gfx : ours.target);
    }
};

// The cells of one case: our scalar and best paths, Allegro and, where it matches, SDL_gfx,
// after each has drawn one frame; false when one of them drew nothing.
bool addCaseCells(SceneRig& rig, int c, RenderPath best, std::vector<Cell>& cells)
{
    const BenchCase kind = caseAt(c);
    const std::vector<BenchFrame>& frames = rig.frames[c];
    setRenderPath(RenderPath::Scalar);
    const double pixels = coveredPixels(rig.ours, frames);
    const auto drawOurs = [&rig, &frames, kind](RenderPath path) {
        return [&rig, &frames, kind, path] {
            setRenderPath(path);
            for (const BenchFrame& frame : frames) {
                rig.ours.drawFrame(kind, frame);
            }
        };
    };
    std::vector<std::pair<std::string, std::function<void()>>> renderers;
    renderers.push_back({"scalar", drawOurs(RenderPath::Scalar)});
    if (best != RenderPath::Scalar) {
        renderers.push_back({renderPathName(best), drawOurs(best)});
    }
    renderers.push_back({"Allegro", [&rig, &frames, kind] {
                             for (const BenchFrame& frame : frames) {
                                 allegroDrawFrame(rig.allegro, kind, frame);
                             }
                         }});
    if (sdlGfxDraws(kind)) {
        renderers.push_back({"SDL_gfx", [&rig, &frames, kind] {
                                 for (const BenchFrame& frame : frames) {
                                     sdlGfxDrawFrame(rig.gfx, rig.ours.texture.getSdlSurface(),
                                                     kind, frame);
                                 }
                             }});
    }
    bool drewAll = true;
    for (auto& [name, run] : renderers) {
        run();
        const long drawn = rig.nonZero(name);
        std::printf("  %-9s %-20s %-8s %8ld\n", rig.name, kCaseNames[c], name.c_str(), drawn);
        drewAll = drewAll && drawn != 0;
        cells.push_back({rig.name, kCaseNames[c], name, pixels, run, 1, {}});
    }
    return drewAll;
}

// Iterations per cell from one warm-up run each, so that every cell takes about kCellSeconds;
// then repetition 1 of every cell, repetition 2 of every cell, ...
void timeCells(std::vector<Cell>& cells, int repetitions)
{
    for (Cell& cell : cells) {
        const double once = std::max(seconds(cell.run, 1), 1e-6);
        cell.iterations = std::max(1, static_cast<int>(kCellSeconds / once));
    }
    for (int rep = 0; rep < repetitions; ++rep) {
        for (Cell& cell : cells) {
            const double elapsed = seconds(cell.run, cell.iterations);
            cell.samples.push_back(cell.pixels * cell.iterations / elapsed / 1e6);
        }
    }
}

const Cell* findCell(const std::vector<Cell>& cells, const std::string& scene,
                     const std::string& kind, const std::string& renderer)
{
    for (const Cell& cell : cells) {
        if (cell.scene == scene && cell.kind == kind && cell.renderer == renderer) {
            return &cell;
        }
    }
    return nullptr;
}

// The median over repetitions i of ours_i / other_i.
double ratio(const Cell& ours, const Cell& other)
{
    std::vector<double> ratios;
    for (size_t i = 0; i < ours.samples.size(); ++i) {
        ratios.push_back(ours.samples[i] / other.samples[i]);
    }
    return median(ratios);
}

std::string spread(const Cell* cell)
{
    if (!cell) {
        return "-";
    }
    const auto [low, high] = std::minmax_element(cell->samples.begin(), cell->samples.end());
    return format("%.0f (%.0f-%.0f)", median(cell->samples), *low, *high);
}

// The one-minute load average: the run's neighbours on a shared machine.
std::string loadAverage()
{
    std::ifstream file("/proc/loadavg");
    std::string load = "unknown";
    file >> load;
    return load;
}

std::string reportTable(const std::vector<Cell>& cells, int repetitions, const std::string& best,
                        const std::string& loadBefore)
{
    std::ostringstream table;
    table << "Command: `make bench` (`build-bench/bench/renderbench --markdown "
             "docs/performance.md`), Release build, single thread.\n"
          << "Machine: " << std::thread::hardware_concurrency() << " processors (`nproc`), "
          << cpuModel() << "; widest vector path used: " << best << "; load average (1 minute) "
          << loadBefore << " at the start, " << loadAverage() << " at the end.\n"
          << "Mpixel/s: median (min-max) of " << repetitions
          << " interleaved repetitions, timed in the thread's processor time; the numerator is the "
             "pixels our scalar rasteriser covers, so on `cubes320` a ratio is also the ratio of "
             "frames per second. Ratios are medians of per-repetition ratios. `cubes320`: the "
             "polygon stage's two cubes at 320 x 240 over "
          << kCubePoses
          << " poses, far cube first, back faces removed except when translucent; `fill720`: "
             "64 tilted quads at 1280 x 720 from seed "
          << kFillSeed
          << ", drawn in generation order. Each frame includes the screen clear and the depth "
             "clear (ours: `clearDepth`, where polygons drew since the last clear; Allegro: "
             "`clear_zbuffer`, all of it).\n\n"
          << "| scene | case | scalar | " << best << " | Allegro 4 | SDL_gfx | scalar / Allegro | "
          << best << " / Allegro | " << best
          << " / memory bound |\n|---|---|---|---|---|---|---|---|---|\n";
    for (const Cell& cell : cells) {
        if (cell.renderer != "scalar") {
            continue;
        }
        const Cell* fast = findCell(cells, cell.scene, cell.kind, best);
        const Cell& top = fast ? *fast : cell;
        const Cell& peer = *findCell(cells, cell.scene, cell.kind, "Allegro");
        const Cell& bound = *findCell(cells, cell.scene, "memory bound", "bound");
        const int index = static_cast<int>(
            std::find(kCaseNames, kCaseNames + kBenchCaseCount, cell.kind) - kCaseNames);
        table << "| " << cell.scene << " | " << cell.kind << " (" << kAllegroNames[index] << ") | "
              << spread(&cell) << " | " << spread(fast) << " | " << spread(&peer) << " | "
              << spread(findCell(cells, cell.scene, cell.kind, "SDL_gfx")) << " | "
              << format("%.2f", ratio(cell, peer)) << " | " << format("%.2f", ratio(top, peer))
              << " | " << format("%.3f", median(top.samples) / median(bound.samples)) << " |\n";
    }
    for (const Cell& cell : cells) {
        if (cell.renderer == "bound") {
            table << "| " << cell.scene << " | memory bound (12 bytes a pixel) | | "
                  << spread(&cell) << " | | | | | |\n";
        }
    }
    return table.str();
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    if (!parseOptions(argc, argv, options)) {
        return 2;
    }
    Log log;
    gLog = &log;
    if (SDL_Init(0) != 0 || !allegroStart()) {
        std::fprintf(stderr, "renderbench: cannot start SDL or Allegro\n");
        return 1;
    }
    const std::string loadBefore = loadAverage();
    const RenderPath best = renderPath();
    const BenchTexture texture = makeTexture();
    std::list<SceneRig> rigs;
    rigs.emplace_back("cubes320", cubeFrames, 320, 240, texture);
    rigs.emplace_back("fill720", fillFrames, 1280, 720, texture);
    std::vector<Cell> cells;
    bool drewAll = true;
    std::printf("non-zero pixels after one frame of each case:\n");
    for (SceneRig& rig : rigs) {
        cells.push_back({rig.name,
                         "memory bound",
                         "bound",
                         static_cast<double>(rig.boundDepth.size()),
                         [&rig] { memoryBound(rig.boundDepth, rig.boundPixels); },
                         1,
                         {}});
        for (int c = 0; c < kBenchCaseCount; ++c) {
            if (options.only && std::strcmp(options.only, kCaseNames[c]) != 0) {
                continue;
            }
            rig.frames[c] = rig.makeFrames(caseAt(c));
            drewAll = addCaseCells(rig, c, best, cells) && drewAll;
        }
    }
    if (!drewAll) {
        std::fprintf(stderr, "renderbench: a renderer drew nothing\n");
        return 1;
    }
    timeCells(cells, options.repetitions);
    setRenderPath(best);
    const std::string table =
        reportTable(cells, options.repetitions, renderPathName(best), loadBefore);
    std::printf("\n%s", table.c_str());
    if (options.markdown && !rewriteSection(options.markdown, table)) {
        std::fprintf(stderr, "renderbench: cannot write %s\n", options.markdown);
        return 1;
    }
    return 0;
}
