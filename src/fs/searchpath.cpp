// Builds the search path at start-up. Entries are only appended, so earlier ones win: loose
// files in the program directory, then the game directory, then lower-numbered archives.
#include "fs/searchpath.h"

#include "core/commandline.h"
#include "core/exception.h"
#include "core/log.h"
#include "fs/archive.h"

#include <cstdio>
#include <physfs.h>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

void initFileSystem(const char* argv0)
{
    gLog->print("Initializing PhysicsFS Library...");
    if (PHYSFS_init(argv0) == 0) {
        throw Exception(physfsLastError());
    }
    if (PHYSFS_addToSearchPath(PHYSFS_getBaseDir(), 1) == 0) {
        throw Exception(physfsLastError());
    }
}

void addGameData()
{
    const char* game = "base";
    if (const unsigned index = gCommandLine->findOption("-game")) {
        if (const char* value = gCommandLine->optionValue(index)) {
            game = value;
        }
    }
    if (PHYSFS_addToSearchPath(game, 1) == 0) {
        gLog->print("* Warning: specified game '%s' is invalid", game);
    }

    int count = 0;
    for (int n = 0; n < 1000; ++n) {
        char name[16];
        std::snprintf(name, sizeof name, "pak%03d.zip", n);
        char path[1024];
        const int length =
            std::snprintf(path, sizeof path, "%s%s%s", game, PHYSFS_getDirSeparator(), name);
        // A path cut short by the buffer would name some other file, so it is skipped.
        if (length < 0 || length >= static_cast<int>(sizeof path)) {
            continue;
        }
        if (PHYSFS_exists(name) != 0 && PHYSFS_addToSearchPath(path, 1) != 0) {
            gLog->print("* Added data file %s", path);
            ++count;
        }
    }
    if (count == 0) {
        gLog->print("* Warning: no game data files were found");
    }
}

#pragma GCC diagnostic pop
