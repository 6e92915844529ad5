// levelc: compiles a level's source, its text form or a Tiled map, into the binary level file
// the engine loads.
// Usage: levelc [--cut-tiles DIR] SOURCE OUT
#include "levelformat.h"
#include "output.h"
#include "tarvo/tiles/level.h"
#include "tarvo/tiles/levelfile.h"
#include "tiledwrite.h"
#include "tiles/tiledmap.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

using namespace tarvo;

namespace
{

// The text form; false after printing FILE:LINE: message.
bool compileText(const std::string& sourcePath, LevelFile& level, int& line)
{
    std::ifstream in(sourcePath, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "%s: cannot open the source\n", sourcePath.c_str());
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    std::string message;
    if (!levelFromText(text.str(), level, line, message)) {
        std::fprintf(stderr, "%s:%d: %s\n", sourcePath.c_str(), line, message.c_str());
        return false;
    }
    return true;
}

// A Tiled map, read by the same code the engine loads maps with; false after printing its
// error. Its warnings come first either way.
bool compileMap(const std::string& sourcePath, bool cutTiles, TiledLevel& compiled)
{
    std::string error;
    const bool compiledWell = compileTiledMap(sourcePath, cutTiles, compiled, error);
    for (const std::string& warning : compiled.warnings) {
        std::fprintf(stderr, "%s\n", warning.c_str());
    }
    if (!compiledWell) {
        std::fprintf(stderr, "%s\n", error.c_str());
    }
    return compiledWell;
}

} // namespace

int main(int argc, char** argv)
{
    const bool cut = argc == 5 && std::strcmp(argv[1], "--cut-tiles") == 0;
    if (argc != 3 && !cut) {
        std::fprintf(stderr, "usage: levelc [--cut-tiles DIR] SOURCE OUT\n");
        return 1;
    }
    const std::string cutFolder = cut ? argv[2] : "";
    const std::string sourcePath = argv[argc - 2];
    const std::string outPath = argv[argc - 1];
    TiledLevel compiled;
    int line = 0;
    if (isTiledMapPath(sourcePath)) {
        if (!compileMap(sourcePath, !cutFolder.empty(), compiled)) {
            return 1;
        }
    } else if (!compileText(sourcePath, compiled.level, line)) {
        return 1;
    }
    std::vector<uint8_t> bytes;
    LevelError error;
    if (!writeLevelFile(compiled.level, bytes, error)) {
        // The map's checks come first, so only the text form gets here.
        std::fprintf(stderr, "%s:%d: %s\n", sourcePath.c_str(), line, error.message.c_str());
        return 1;
    }
    // Nothing is written before every check has passed, and a failed write takes back the rest.
    RunOutput output;
    std::string message;
    if (!compiled.cutTiles.empty() &&
        !writeCutTiles(compiled.cutTiles, cutFolder, output, message)) {
        std::fprintf(stderr, "%s\n", message.c_str());
        return 1;
    }
    if (!writeFileAtomically(outPath, std::string(bytes.begin(), bytes.end()))) {
        std::fprintf(stderr, "%s: cannot write the level\n", outPath.c_str());
        return 1;
    }
    output.keep();
    return 0;
}
