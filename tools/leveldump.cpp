// leveldump: prints a binary level file as the text levelc compiles, losing nothing.
// Usage: leveldump LEVEL
#include "levelformat.h"
#include "tiles/levelfile.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: leveldump LEVEL\n");
        return 1;
    }
    const char* path = argv[1];
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
    const std::string text = levelToText(level);
    std::fwrite(text.data(), 1, text.size(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}
