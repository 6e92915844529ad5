#include "core/commandline.h"
#include "fs/archive.h"
#include "fs/searchpath.h"
#include "support/capturedlog.h"
#include "support/gamedir.h"
#include "support/zipwriter.h"

#include <SDL.h>
#include <gtest/gtest.h>
#include <string>

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

class SearchPathTest : public testing::Test
{
protected:
    void start(const std::string& game)
    {
        gameWord = game;
        words[2] = gameWord.data();
        gCommandLine = &line;
        initFileSystem(program);
        addGameData();
    }
    void TearDown() override
    {
        shutdownFileSystem();
        gCommandLine = nullptr;
    }

    TempDir dir;
    CapturedLog log;
    char program[5] = "prog";
    char option[6] = "-game";
    std::string gameWord;
    char* words[3] = {program, option, nullptr};
    CommandLine line{3, words};
};

TEST_F(SearchPathTest, LooseFilesWinOverArchivesAndLowerArchivesOverHigher)
{
    const std::string game = dir.path + "/game";
    dir.write("game/a.txt", "loose a");
    ASSERT_TRUE(writeZip(game + "/pak000.zip", {{"a.txt", "pak0 a"}, {"b.txt", "pak0 b"}}));
    ASSERT_TRUE(writeZip(game + "/pak005.zip", {{"b.txt", "pak5 b"}, {"c.txt", "pak5 c"}}));
    start(game);

    EXPECT_EQ(log.text(), "Initializing PhysicsFS Library...\n"
                          "* Added data file " +
                              game +
                              "/pak000.zip\n"
                              "* Added data file " +
                              game + "/pak005.zip\n");
    EXPECT_EQ(readVirtual("a.txt"), "loose a");
    EXPECT_EQ(readVirtual("b.txt"), "pak0 b");
    EXPECT_EQ(readVirtual("c.txt"), "pak5 c");
}

TEST_F(SearchPathTest, MissingGameDirectoryOnlyWarns)
{
    const std::string game = dir.path + "/nowhere";
    start(game);
    EXPECT_EQ(log.text(), "Initializing PhysicsFS Library...\n"
                          "* Warning: specified game '" +
                              game +
                              "' is invalid\n"
                              "* Warning: no game data files were found\n");
}

TEST_F(SearchPathTest, CorruptArchiveIsSkippedSilently)
{
    const std::string game = dir.path + "/game";
    dir.write("game/pak000.zip", "this is not a zip archive");
    ASSERT_TRUE(writeZip(game + "/pak001.zip", {{"c.txt", "pak1 c"}}));
    start(game);
    EXPECT_EQ(log.text(), "Initializing PhysicsFS Library...\n"
                          "* Added data file " +
                              game + "/pak001.zip\n");
    EXPECT_EQ(readVirtual("c.txt"), "pak1 c");
}

} // namespace
