// The search path built at start-up: what it logs, and which copy of a file wins.
#include "fs/searchpath.h"
#include "support/capturedlog.h"
#include "support/zipwriter.h"
#include "tarvo/fs/archive.h"

#include <SDL.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>

using namespace tarvo;

namespace
{

std::string readVirtual(const char* name)
{
    SDL_RWops* stream = openArchiveStream(name);
    if (!stream) {
        return "(missing)";
    }
    char buffer[64] = {};
    const int n = SDL_RWread(stream, buffer, 1, sizeof buffer);
    SDL_RWclose(stream);
    return std::string(buffer, n > 0 ? n : 0);
}

TEST(SearchPath, LooseFilesWinThenLowerArchivesAndMissingDataOnlyWarns)
{
    using Files = std::vector<std::pair<std::string, std::string>>;
    const struct {
        Files files; // below the game directory, named "game" in the working directory
        const char* game;
        std::string log; // after "Initializing PhysicsFS Library..."
        Files reads;
    } cases[] = {
        {{{"a.txt", "loose a"},
          {"pak000.zip", zipArchive({{"a.txt", "pak0 a"}, {"b.txt", "pak0 b"}})},
          {"pak005.zip", zipArchive({{"b.txt", "pak5 b"}, {"c.txt", "pak5 c"}})}},
         "game",
         "* Added data file game/pak000.zip\n* Added data file game/pak005.zip\n",
         {{"a.txt", "loose a"}, {"b.txt", "pak0 b"}, {"c.txt", "pak5 c"}}},
        {{},
         "nowhere",
         "* Warning: specified game 'nowhere' is invalid\n"
         "* Warning: no game data files were found\n",
         {{"a.txt", "(missing)"}}},
        // An archive that cannot be mounted is skipped without a word.
        {{{"pak000.zip", "this is not a zip archive"},
          {"pak001.zip", zipArchive({{"c.txt", "pak1 c"}})}},
         "game",
         "* Added data file game/pak001.zip\n",
         {{"c.txt", "pak1 c"}}},
    };
    const std::filesystem::path home = std::filesystem::current_path();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.log);
        const TempDir dir;
        std::filesystem::current_path(dir.path);
        for (const auto& [name, bytes] : c.files) {
            dir.write("game/" + name, bytes);
        }
        CapturedLog log;
        initFileSystem("prog");
        addGameData(c.game);
        EXPECT_EQ(log.text(), "Initializing PhysicsFS Library...\n" + c.log);
        for (const auto& [name, content] : c.reads) {
            EXPECT_EQ(readVirtual(name.c_str()), content) << name;
        }
        shutdownFileSystem();
        std::filesystem::current_path(home);
    }
}

} // namespace
