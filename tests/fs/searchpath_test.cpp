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
    using Fields = std::initializer_list<std::pair<uint64_t, int>>; // value, size in bytes
    const auto put = [](std::string& out, Fields fields) {
        for (const auto& [value, bytes] : fields) {
            for (int i = 0; i < bytes; ++i) {
                out.push_back(static_cast<char>(value >> 8 * i)); // little-endian
            }
        }
    };
    std::string files, directory;
    for (const auto& [name, data] : entries) {
        const uint64_t size = data.size(), nameSize = name.size();
        const uint64_t crc = crc32(0, reinterpret_cast<const Bytef*>(data.data()), size);
        // From "version needed" to "extra length", the same in both headers: stored, dated
        // 1980-01-01.
        std::string shared;
        put(shared, {{10, 2}, {0, 6}, {0x21, 2}, {crc, 4}, {size, 4}, {size, 4}, {nameSize, 2}});
        // Extra and comment lengths, disk, attributes, then the local header's offset.
        put(directory, {{0x02014b50, 4}, {20, 2}});
        put(directory += shared, {{0, 6}, {0, 6}, {files.size(), 4}});
        directory += name;
        put(files, {{0x04034b50, 4}});
        put(files += shared, {{0, 2}});
        files += name + data;
    }
    std::string end;
    const uint64_t count = entries.size(), table = directory.size(), offset = files.size();
    put(end, {{0x06054b50, 4}, {0, 4}, {count, 2}, {count, 2}, {table, 4}, {offset, 4}, {0, 2}});
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
