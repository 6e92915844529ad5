// Builds the search path at start-up and stops the file system at shutdown. Entries are only
// appended, so earlier ones win: loose files in the program directory, then the game directory,
// then lower-numbered archives.
#include "fs/searchpath.h"

#include "tarvo/core/exception.h"
#include "tarvo/core/log.h"
#include "tarvo/fs/vfs.h"

#include <cstdio>

namespace tarvo
{

void initFileSystem(const char* argv0)
{
    gLog->print("Initializing PhysicsFS Library...");
    if (!vfsInit(argv0)) {
        throw Exception(vfsLastError());
    }
    if (!vfsMount(vfsBaseDir())) {
        throw Exception(vfsLastError());
    }
}

void addGameData(const char* game)
{
    if (!vfsMount(game)) {
        gLog->print("* Warning: specified game '%s' is invalid", game);
    }

    int count = 0;
    for (int n = 0; n < 1000; ++n) {
        char name[16];
        std::snprintf(name, sizeof name, "pak%03d.zip", n);
        char path[1024];
        const int length =
            std::snprintf(path, sizeof path, "%s%s%s", game, vfsDirSeparator(), name);
        // A path cut short by the buffer would name some other file, so it is skipped.
        if (length < 0 || length >= static_cast<int>(sizeof path)) {
            continue;
        }
        if (vfsExists(name) && vfsMount(path)) {
            gLog->print("* Added data file %s", path);
            ++count;
        }
    }
    if (count == 0) {
        gLog->print("* Warning: no game data files were found");
    }
}

void shutdownFileSystem()
{
    if (const char* error = vfsDeinit()) {
        std::fprintf(stderr, "Warning: Failed to deinit PhysicsFS.\nError: %s\n", error);
    }
}

} // namespace tarvo
