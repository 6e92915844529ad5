// libFuzzer target for the level loader: any byte string is read as a level file, extension
// block included; a level that reads is built (images come from a scratch game directory),
// drawn at several cameras a tick of its animation clock apart, asked for its tile properties
// and dumped, and its text form must compile back to the same bytes.
#include "tarvo/tiles/level.h"

#include "levelformat.h"
#include "tarvo/core/log.h"
#include "tarvo/fs/vfs.h"
#include "tarvo/tiles/levelfile.h"
#include "tarvo/video/surface.h"

#include <SDL.h>
#include <cstdlib>
#include <filesystem>
#include <string>

using namespace tarvo;

namespace
{

Surface* gTarget = nullptr;

// Tile images 0 to 3 and background images 0 and 1 exist; every other number is missing.
void writeImages(const std::filesystem::path& root)
{
    std::filesystem::create_directories(root / "demo1/tiles");
    std::filesystem::create_directories(root / "demo1/bg");
    for (int i = 0; i < 4; ++i) {
        SDL_Surface* image = SDL_CreateRGBSurface(0, 24, 24, 32, 0xFF0000, 0xFF00, 0xFF, 0);
        SDL_FillRect(image, nullptr, i == 0 ? 0xFFFFFF : 0x204000u * static_cast<uint32_t>(i));
        const std::string name = "demo1/tiles/TILE000" + std::to_string(i) + ".PNG";
        SDL_SaveBMP(image, (root / name).c_str());
        SDL_FreeSurface(image);
    }
    for (int i = 0; i < 2; ++i) {
        SDL_Surface* image =
            SDL_CreateRGBSurface(0, 7 + 90 * i, 5 + 60 * i, 32, 0xFF0000, 0xFF00, 0xFF, 0);
        SDL_FillRect(image, nullptr, 0x3366AA);
        const std::string name = "demo1/bg/BG000" + std::to_string(i) + ".PNG";
        SDL_SaveBMP(image, (root / name).c_str());
        SDL_FreeSurface(image);
    }
}

void checkTextRoundTrip(const LevelFile& level)
{
    std::vector<uint8_t> bytes;
    LevelError error;
    if (!writeLevelFile(level, bytes, error)) {
        return; // runs the file split with dropped literals may be too long to re-encode
    }
    LevelFile parsed;
    int line = 0;
    std::string message;
    if (!levelFromText(levelToText(level), parsed, line, message)) {
        __builtin_trap();
    }
    std::vector<uint8_t> again;
    if (!writeLevelFile(parsed, again, error) || again != bytes) {
        __builtin_trap();
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    gLog = new Log;
    gLog->open("/dev/null");
    vfsInit(nullptr);
    char name[] = "/tmp/tarvo-levelfuzz-XXXXXX";
    const std::filesystem::path root = mkdtemp(name);
    writeImages(root);
    vfsMount(root.c_str());
    gTarget = new Surface;
    SurfaceFormat format;
    format.width = 320;
    format.height = 240;
    format.bitsPerPixel = 32;
    format.rMask = 0xFF0000;
    format.gMask = 0xFF00;
    format.bMask = 0xFF;
    gTarget->create(format);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    MemoryLevelSource source(data, size);
    LevelFile file;
    LevelError error;
    if (!readLevelFile(source, file, error, true)) {
        return 0;
    }
    int64_t cells = 0;
    for (const LevelLayerData& layer : file.layers) {
        cells += static_cast<int64_t>(layer.cells.size());
    }
    if (cells < 20000) {
        checkTextRoundTrip(file);
    }
    TileMap level;
    if (!buildTileMap(file, level)) {
        return 0;
    }
    LayerViews views;
    bindLayerViews(level, views);
    const int cameras[][2] = {{24, 24}, {-5, 30}, {-100000, 2000000000}, {2080, 240}};
    for (const auto& camera : cameras) {
        drawLevel(*gTarget, level, views, camera[0], camera[1]);
        level.tileProperties(level.collisionLayer(), camera[0] / 24, camera[1] / 24);
        level.advance();
    }
    writeLayerDump(*level.layers[0], "/dev/null");
    return 0;
}
