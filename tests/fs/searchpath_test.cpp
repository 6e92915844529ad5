// The search path built at start-up: what it logs, and which copy of a file wins.
#include "fs/searchpath.h"
#include "support/capturedlog.h"
#include "tarvo/fs/archive.h"

#include <SDL.h>
#include <cstdint>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>
#include <zlib.h>

using namespace tarvo;

namespace
{

// A small uncompressed zip archive built in memory, of (name inside the archive, content).
std::string zipArchive(const std::vector<std::pair<std::string, std::string>>& entries)
{
    const auto put = [](std::string& out, uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) {
            out.push_back(static_cast<char>(value >> 8 * i)); // little-endian
        }
    };
    std::string files, directory;
    for (const auto& [name, data] : entries) {
        const uint32_t size = static_cast<uint32_t>(data.size());
        const uint32_t crc = crc32(0, reinterpret_cast<const Bytef*>(data.data()), size);
        const uint32_t nameSize = static_cast<uint32_t>(name.size());
        // From "version needed" to "extra length", the same in both headers: stored, dated
        // 1980-01-01.
        const uint32_t fields[][2] = {{10, 2},  {0, 2},    {0, 2},    {0, 2},        {0x21, 2},
                                      {crc, 4}, {size, 4}, {size, 4}, {nameSize, 2}, {0, 2}};
        std::string shared;
        for (const auto& [value, bytes] : fields) {
            put(shared, value, static_cast<int>(bytes));
        }
        put(directory, 0x02014b50, 4);
        put(directory, 20, 2);
        directory += shared;
        directory.append(10, '\0'); // comment length, disk, internal and external attributes
        put(directory, static_cast<uint32_t>(files.size()), 4);
        directory += name;
        put(files, 0x04034b50, 4);
        files += shared + name + data;
    }
    std::string end;
    put(end, 0x06054b50, 4);
    put(end, 0, 4); // this disk, the directory's disk
    put(end, static_cast<uint32_t>(entries.size()), 2);
    put(end, static_cast<uint32_t>(entries.size()), 2);
    put(end, static_cast<uint32_t>(directory.size()), 4);
    put(end, static_cast<uint32_t>(files.size()), 4);
    put(end, 0, 2);
    return files + directory + end;
}

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
