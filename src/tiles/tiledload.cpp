// Levels from real files for the level designer's loop: a Tiled map compiled in memory as the
// level compiler compiles it, its pictures taken from beside it, or a level file read from disk.
#include "tarvo/core/log.h"
#include "tarvo/tiles/level.h"
#include "tarvo/tiles/levelfile.h"
#include "tarvo/video/surface.h"
#include "tiles/levelbuild.h"
#include "tiles/tiledmap.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace tarvo
{

namespace
{

std::unique_ptr<Surface> diskImage(const std::string& path)
{
    SDL_RWops* stream = SDL_RWFromFile(path.c_str(), "rb");
    if (!stream) {
        return nullptr;
    }
    auto image = std::make_unique<Surface>();
    image->loadFromStream(stream, 1);
    return image->getSdlSurface() ? std::move(image) : nullptr;
}

// A tile cut from a single-image tileset, its alpha kept as the cut PNG would keep it.
std::unique_ptr<Surface> cutImage(const std::vector<uint8_t>& rgba)
{
    constexpr int kSize = static_cast<int>(kTiledTileSize);
    auto image = std::make_unique<Surface>();
    image->create(argbFormat(kSize, kSize, 0xFF000000));
    if (!image->lock()) {
        return nullptr;
    }
    SDL_Surface* surface = image->getSdlSurface();
    for (int y = 0; y < kSize; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(surface->pixels) +
                                                y * surface->pitch);
        for (int x = 0; x < kSize; ++x) {
            const uint8_t* p = &rgba[static_cast<size_t>((y * kSize + x) * 4)];
            row[x] = static_cast<uint32_t>(p[3]) << 24 | static_cast<uint32_t>(p[0]) << 16 |
                     static_cast<uint32_t>(p[1]) << 8 | p[2];
        }
    }
    image->unlock();
    return image;
}

// The image a loader could not give, named for the report.
std::string missing(const std::string& level, const std::string& image)
{
    return level + ": cannot load the image \"" + image + "\"";
}

std::string searchPathName(LevelImage kind, int number)
{
    char name[32];
    std::snprintf(name, sizeof name,
                  kind == LevelImage::Tile ? "demo1/tiles/TILE%04d.PNG" : "demo1/bg/BG%04d.PNG",
                  number);
    return name;
}

bool loadMap(const std::string& path, TileMap& level, std::string& message)
{
    TiledLevel compiled;
    const bool read = compileTiledMap(path, true, compiled, message);
    for (const std::string& warning : compiled.warnings) {
        if (gLog) {
            gLog->print("%s", warning.c_str());
        }
    }
    if (!read) {
        return false;
    }
    // An image beside the map wins; one the map names but the folder lacks is the game's.
    const auto load = [&](LevelImage kind, size_t index, int number) {
        const bool tile = kind == LevelImage::Tile;
        if (tile && compiled.tilePaths[index].empty()) {
            return cutImage(compiled.cutTiles[index]);
        }
        const std::string& beside =
            tile ? compiled.tilePaths[index] : compiled.backgroundPaths[index];
        std::error_code error;
        std::unique_ptr<Surface> image =
            std::filesystem::exists(beside, error)
                ? diskImage(beside)
                : loadImageOrNull(searchPathName(kind, number).c_str());
        if (!image) {
            message = missing(path, beside);
        }
        return image;
    };
    return buildTileMap(compiled.level, level, load);
}

bool loadFile(const std::string& path, TileMap& level, std::string& message)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        message = path + ": offset 0: cannot open the file";
        return false;
    }
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                     std::istreambuf_iterator<char>());
    MemoryLevelSource source(bytes.data(), bytes.size());
    LevelFile file;
    LevelError error;
    if (!readLevelFile(source, file, error, false)) {
        message = path + ": offset " + std::to_string(error.offset) + ": " + error.message;
        return false;
    }
    const auto load = [&](LevelImage kind, size_t, int number) {
        const std::string name = searchPathName(kind, number);
        std::unique_ptr<Surface> image = loadImageOrNull(name.c_str());
        if (!image) {
            message = missing(path, name);
        }
        return image;
    };
    return buildTileMap(file, level, load);
}

} // namespace

bool loadLevelFromFile(const std::string& path, TileMap& level, std::string& message)
{
    TileMap fresh;
    if (!(isTiledMapPath(path) ? loadMap(path, fresh, message) : loadFile(path, fresh, message))) {
        return false;
    }
    level = std::move(fresh);
    return true;
}

} // namespace tarvo
