// levelc: compiles a level's text source into the binary level file the engine loads.
// Usage: levelc SOURCE.txt OUT
#include "levelformat.h"
#include "tiles/levelfile.h"

#include <cstdio>
#include <fstream>
#include <sstream>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: levelc SOURCE.txt OUT\n");
        return 1;
    }
    const char* sourcePath = argv[1];
    const char* outPath = argv[2];
    std::ifstream in(sourcePath, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "%s: cannot open the source\n", sourcePath);
        return 1;
    }
    std::ostringstream text;
    text << in.rdbuf();

    LevelFile level;
    int line = 0;
    std::string message;
    if (!levelFromText(text.str(), level, line, message)) {
        std::fprintf(stderr, "%s:%d: %s\n", sourcePath, line, message.c_str());
        return 1;
    }
    std::vector<uint8_t> bytes;
    LevelError error;
    if (!writeLevelFile(level, bytes, error)) {
        std::fprintf(stderr, "%s:%d: %s\n", sourcePath, line, error.message.c_str());
        return 1;
    }
    std::ofstream out(outPath, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "%s: cannot write the level\n", outPath);
        return 1;
    }
    return 0;
}
