// leveldump: prints a binary level file as the text levelc compiles, losing nothing, or writes
// it as a Tiled map with its tileset, optionally with the game's images beside them.
// Usage: leveldump LEVEL
//        leveldump --tmx LEVEL OUT.tmx|OUT.tmj [--game DIR-or-PAK]
#include "fs/searchpath.h"
#include "levelformat.h"
#include "output.h"
#include "tarvo/core/log.h"
#include "tarvo/fs/archive.h"
#include "tarvo/fs/vfs.h"
#include "tarvo/tiles/levelfile.h"
#include "tarvo/video/pngfile.h"
#include "tarvo/video/surface.h"
#include "tiledwrite.h"
#include "tiles/tiledmap.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using namespace tarvo;

namespace
{

uint32_t pixelAt(const SDL_Surface* surface, int x, int y)
{
    const uint8_t* p = static_cast<const uint8_t*>(surface->pixels) + y * surface->pitch +
                       x * surface->format->BytesPerPixel;
    uint32_t value = 0;
    std::memcpy(&value, p, surface->format->BytesPerPixel); // little-endian host
    return value;
}

// The tile as RGBA, with the pixels the engine's white colour key hides made transparent.
bool copyTile(const std::string& name, const std::string& out, RunOutput& output)
{
    Surface tile;
    tile.loadImage(name.c_str());
    SDL_Surface* surface = tile.getSdlSurface();
    if (!surface || !tile.lock()) {
        return false;
    }
    output.adding(out);
    const uint32_t key = tile.mapRgb(SDL_Color{255, 255, 255, 0});
    std::vector<uint8_t> rgba;
    for (int y = 0; y < surface->h; ++y) {
        for (int x = 0; x < surface->w; ++x) {
            const uint32_t pixel = pixelAt(surface, x, y);
            uint8_t channel[4];
            SDL_GetRGBA(pixel, surface->format, &channel[0], &channel[1], &channel[2], &channel[3]);
            channel[3] = pixel == key ? 0 : channel[3];
            rgba.insert(rgba.end(), channel, channel + 4);
        }
    }
    tile.unlock();
    return writePng(out, rgba.data(), surface->w, surface->h, 4);
}

bool copyFile(const std::string& name, const std::string& out, RunOutput& output)
{
    SDL_RWops* stream = openArchiveStream(name.c_str());
    if (!stream) {
        return false;
    }
    std::string bytes;
    char buffer[4096];
    size_t got = 0;
    while ((got = SDL_RWread(stream, buffer, 1, sizeof buffer)) > 0) {
        bytes.append(buffer, got);
    }
    SDL_RWclose(stream);
    output.adding(out);
    return writeFileAtomically(out, bytes);
}

// Mounts the game folder or pak, as the engine's own -game handling does (a folder with its
// paks, or a pak alone). False when it is neither.
bool openGame(const char* game)
{
    if (!vfsInit(nullptr) || !vfsMount(game)) {
        return false;
    }
    addGameData(game);
    return true;
}

// The level's images from the mounted game, copied beside the map.
bool copyImages(const LevelFile& level, const char* game, const std::string& folder,
                RunOutput& output)
{
    std::string message;
    if (!output.makeFolder(folder + "tiles", message) ||
        !output.makeFolder(folder + "bg", message)) {
        std::fprintf(stderr, "%s\n", message.c_str());
        return false;
    }
    char name[64];
    for (const int16_t image : level.tileImages) {
        std::snprintf(name, sizeof name, "tiles/TILE%04d.PNG", image);
        if (!copyTile(std::string("demo1/") + name, folder + name, output)) {
            std::fprintf(stderr, "%s: cannot copy demo1/%s\n", game, name);
            return false;
        }
    }
    for (const LevelBackgroundData& background : level.backgrounds) {
        std::snprintf(name, sizeof name, "bg/BG%04d.PNG", background.image);
        if (!copyFile(std::string("demo1/") + name, folder + name, output)) {
            std::fprintf(stderr, "%s: cannot copy demo1/%s\n", game, name);
            return false;
        }
    }
    return true;
}

// The tileset beside the map, in the map's form: OUT.tsx for a TMX map, OUT.tsj for JSON.
std::string tilesetPathFor(const std::string& mapPath)
{
    const size_t dot = mapPath.rfind('.');
    const bool hasExtension =
        dot != std::string::npos && mapPath.find('/', dot) == std::string::npos;
    return (hasExtension ? mapPath.substr(0, dot) : mapPath) +
           (isJsonPath(mapPath) ? ".tsj" : ".tsx");
}

int usage()
{
    std::fprintf(stderr, "usage: leveldump LEVEL\n"
                         "       leveldump --tmx LEVEL OUT.tmx|OUT.tmj [--game DIR-or-PAK]\n");
    return 1;
}

// Writes the map, its tileset and, with a game, its images; on any failure none of it stays.
int writeMap(const LevelFile& level, const std::string& mapPath, const char* game)
{
    if (game && !openGame(game)) {
        std::fprintf(stderr, "%s: not a game folder or pak\n", game);
        return 1;
    }
    RunOutput output;
    std::string message;
    const std::string folder = folderOf(mapPath);
    if (!folder.empty() && !output.makeFolder(folder, message)) {
        std::fprintf(stderr, "%s\n", message.c_str());
        return 1;
    }
    if (game && !copyImages(level, game, folder, output)) {
        return 1;
    }
    const std::string tilesetPath = tilesetPathFor(mapPath);
    output.adding(tilesetPath);
    output.adding(mapPath);
    if (!writeTiledMap(level, mapPath, tilesetPath, message)) {
        std::fprintf(stderr, "%s\n", message.c_str());
        return 1;
    }
    output.keep();
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const bool tmx = argc > 1 && std::strcmp(argv[1], "--tmx") == 0;
    const bool game = tmx && argc == 6 && std::strcmp(argv[4], "--game") == 0;
    if (tmx ? argc != 4 && !game : argc != 2) {
        return usage();
    }
    const char* path = argv[tmx ? 2 : 1];
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "%s: offset 0: cannot open the file\n", path);
        return 1;
    }
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                     std::istreambuf_iterator<char>());
    MemoryLevelSource source(bytes.data(), bytes.size());
    LevelFile level;
    LevelError error;
    if (!readLevelFile(source, level, error, true)) {
        std::fprintf(stderr, "%s: offset %ld: %s\n", path, error.offset, error.message.c_str());
        return 1;
    }
    if (!tmx) {
        const std::string text = levelToText(level);
        std::fwrite(text.data(), 1, text.size(), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    Log log;
    log.open("/dev/null"); // the file system's lines are not this tool's output
    gLog = &log;
    const int status = writeMap(level, argv[3], game ? argv[5] : nullptr);
    if (vfsIsInit()) {
        shutdownFileSystem();
    }
    return status;
}
