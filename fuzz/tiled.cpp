// libFuzzer target for the Tiled importer: any byte string is read as a map (JSON when it
// starts with '{', TMX otherwise). A map the importer accepts must encode as a level and read
// back, since every limit of the level file is the importer's to report.
#include "tiledmap.h"
#include "tiles/levelfile.h"

#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

namespace
{

std::string gFolder;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    char name[] = "/tmp/tarvo-tiledfuzz-XXXXXX";
    gFolder = mkdtemp(name);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const bool isJson = size > 0 && data[0] == '{';
    const std::string path = gFolder + (isJson ? "/map.json" : "/map.tmx");
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    LevelFile level;
    try {
        levelFromTiledMap(readTiledMap(path), "", level);
    } catch (const TiledError&) {
        return 0;
    }
    std::vector<uint8_t> bytes;
    LevelError error;
    if (!writeLevelFile(level, bytes, error)) {
        __builtin_trap();
    }
    MemoryLevelSource source(bytes.data(), bytes.size());
    LevelFile again;
    if (!readLevelFile(source, again, error, true)) {
        __builtin_trap();
    }
    return 0;
}
