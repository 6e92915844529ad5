// libFuzzer target for the Tiled importer: any byte string is read as a map (JSON when it
// starts with '{', TMX otherwise), beside a tileset image it may cut into a folder. A map the
// importer accepts must encode as a level, and that level, written as a map in the same form,
// must compile back to the same bytes, since every limit of the level file is the importer's
// to report and every field of it the map's to carry.
#include "output.h"
#include "scratch.h"
#include "tarvo/tiles/levelfile.h"
#include "tarvo/video/pngfile.h"
#include "tiledwrite.h"
#include "tiles/tiledmap.h"

#include <string>
#include <vector>

using namespace tarvo;

namespace
{

std::string gFolder;

std::vector<uint8_t> compileOrTrap(const std::string& path)
{
    TiledLevel compiled;
    levelFromTiledMap(readTiledMap(path), true, compiled);
    std::vector<uint8_t> bytes;
    LevelError error;
    if (!writeLevelFile(compiled.level, bytes, error)) {
        __builtin_trap();
    }
    // Written and taken back again: the run's output is never kept.
    RunOutput output;
    std::string message;
    if (!writeCutTiles(compiled.cutTiles, gFolder + "/cut", output, message)) {
        __builtin_trap();
    }
    return bytes;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    gFolder = makeScratchDir("tarvo-tiledfuzz");
    // sheet.png: 2 x 2 tiles of 24 x 24, each a different colour.
    std::vector<uint8_t> sheet(48 * 48 * 4);
    for (size_t i = 0; i < sheet.size(); ++i) {
        sheet[i] = static_cast<uint8_t>(i % 4 == 3 ? 255 : i / (48 * 4 * 24) * 100 + i % 192);
    }
    if (!writePng(gFolder + "/sheet.png", sheet.data(), 48, 48, 4)) {
        std::abort();
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const bool isJson = size > 0 && data[0] == '{';
    const std::string path = gFolder + (isJson ? "/map.json" : "/map.tmx");
    writeInput(path, data, size);
    std::vector<uint8_t> bytes;
    try {
        bytes = compileOrTrap(path);
    } catch (const TiledError&) {
        return 0;
    }
    MemoryLevelSource source(bytes.data(), bytes.size());
    LevelFile level;
    LevelError error;
    if (!readLevelFile(source, level, error, true)) {
        __builtin_trap();
    }
    const std::string back = gFolder + (isJson ? "/back.tmj" : "/back.tmx");
    std::string message;
    if (!writeTiledMap(level, back, gFolder + (isJson ? "/back.tsj" : "/back.tsx"), message)) {
        __builtin_trap();
    }
    try {
        if (compileOrTrap(back) != bytes) {
            __builtin_trap();
        }
    } catch (const TiledError&) {
        __builtin_trap();
    }
    return 0;
}
