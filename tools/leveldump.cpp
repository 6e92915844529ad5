// leveldump: prints a binary level file as the text levelc compiles, losing nothing, or writes
// it as a Tiled map with its tileset, optionally with the game's images beside them.
// Usage: leveldump LEVEL
//        leveldump --tmx LEVEL OUT.tmx [--game DIR-or-PAK]
#include "core/commandline.h"
#include "core/log.h"
#include "fs/archive.h"
#include "fs/searchpath.h"
#include "fs/vfs.h"
#include "levelformat.h"
#include "tiledmap.h"
#include "tiles/levelfile.h"
#include "video/pngfile.h"
#include "video/surface.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

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
bool copyTile(const std::string& name, const std::string& out)
{
    Surface tile;
    tile.loadImage(name.c_str());
    SDL_Surface* surface = tile.getSdlSurface();
    if (!surface || !tile.lock()) {
        return false;
    }
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

bool copyFile(const std::string& name, const std::string& out)
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
    return writeFileAtomically(out, bytes);
}

// The level's images from the game directory or pak, through the engine's own file system.
bool copyImages(const LevelFile& level, const char* argv0, const char* game,
                const std::string& folder)
{
    // The engine's own -game handling mounts a directory (and its paks) or a pak alike.
    const char* words[] = {argv0, "-game", game};
    CommandLine commandLine(3, const_cast<char**>(words));
    gCommandLine = &commandLine;
    vfsInit(nullptr);
    addGameData();
    std::filesystem::create_directories(folder + "tiles");
    std::filesystem::create_directories(folder + "bg");
    char name[64];
    for (const int16_t image : level.tileImages) {
        std::snprintf(name, sizeof name, "tiles/TILE%04d.PNG", image);
        if (!copyTile(std::string("demo1/") + name, folder + name)) {
            std::fprintf(stderr, "%s: cannot copy demo1/%s\n", game, name);
            return false;
        }
    }
    for (const LevelBackgroundData& background : level.backgrounds) {
        std::snprintf(name, sizeof name, "bg/BG%04d.PNG", background.image);
        if (!copyFile(std::string("demo1/") + name, folder + name)) {
            std::fprintf(stderr, "%s: cannot copy demo1/%s\n", game, name);
            return false;
        }
    }
    return true;
}

int usage()
{
    std::fprintf(stderr, "usage: leveldump LEVEL\n"
                         "       leveldump --tmx LEVEL OUT.tmx [--game DIR-or-PAK]\n");
    return 1;
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
    const std::string mapPath = argv[3];
    const size_t dot = mapPath.rfind('.');
    const std::string tilesetPath =
        (dot == std::string::npos || mapPath.find('/', dot) != std::string::npos
             ? mapPath
             : mapPath.substr(0, dot)) +
        ".tsx";
    if (!folderOf(mapPath).empty()) {
        std::error_code ignored; // a folder that cannot be made fails the write below
        std::filesystem::create_directories(folderOf(mapPath), ignored);
    }
    if (game) {
        Log log;
        log.open("/dev/null"); // the file system's lines are not this tool's output
        gLog = &log;
        const bool copied = copyImages(level, argv[0], argv[5], folderOf(mapPath));
        shutdownFileSystem();
        if (!copied) {
            return 1;
        }
    }
    std::string message;
    if (!writeTiledMap(level, mapPath, tilesetPath, message)) {
        std::fprintf(stderr, "%s\n", message.c_str());
        return 1;
    }
    return 0;
}
