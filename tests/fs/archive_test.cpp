#include "fs/archive.h"
#include "support/gamedir.h"

#include <SDL.h>
#include <cstring>
#include <gtest/gtest.h>
#include <string>

namespace
{

class ArchiveStreamTest : public testing::Test
{
protected:
    void SetUp() override { game.write("data/ten.bin", "0123456789"); }

    GameDir game;
};

TEST_F(ArchiveStreamTest, MissingFileGivesNoStreamAndThePhysicsFsReason)
{
    SDL_SetError("earlier error");
    EXPECT_EQ(openArchiveStream("data/none.bin"), nullptr);
    const std::string error = SDL_GetError();
    EXPECT_EQ(error.rfind("PhysicsFS error: ", 0), 0u) << error;
    EXPECT_GT(error.size(), std::strlen("PhysicsFS error: "));
}

TEST_F(ArchiveStreamTest, SeeksLikeAFileAndRefusesBadRequests)
{
    SDL_RWops* stream = openArchiveStream("data/ten.bin");
    ASSERT_NE(stream, nullptr);
    struct Case {
        int offset, whence, result;
        const char* error; // null: no error expected
    };
    const Case cases[] = {
        {4, RW_SEEK_SET, 4, nullptr},
        {0, RW_SEEK_CUR, 4, nullptr}, // a pure position query
        {2, RW_SEEK_CUR, 6, nullptr},
        {0, RW_SEEK_END, 10, nullptr},
        {-3, RW_SEEK_END, 7, nullptr},
        {-1, RW_SEEK_SET, -1, "Attempt to seek past start of file."},
        {-8, RW_SEEK_CUR, -1, "Attempt to seek past start of file."},
        {0, 3, -1, "Invalid 'whence' parameter."},
    };
    for (const Case& c : cases) {
        SDL_SetError("none");
        EXPECT_EQ(SDL_RWseek(stream, c.offset, c.whence), c.result) << c.offset << " " << c.whence;
        EXPECT_STREQ(SDL_GetError(), c.error ? c.error : "none");
    }
    // The failed seeks left the position where the last good one put it.
    EXPECT_EQ(SDL_RWtell(stream), 7);
    EXPECT_EQ(SDL_RWclose(stream), 0);
}

TEST_F(ArchiveStreamTest, ReadsWholeObjectsAndRefusesWrites)
{
    SDL_RWops* stream = openArchiveStream("data/ten.bin");
    ASSERT_NE(stream, nullptr);
    char buffer[16] = {};
    EXPECT_EQ(SDL_RWread(stream, buffer, 4, 2), 2);
    EXPECT_EQ(std::string(buffer, 8), "01234567");
    SDL_SetError("none");
    EXPECT_EQ(SDL_RWread(stream, buffer, 4, 2), 0); // two bytes left: no whole object
    EXPECT_EQ(SDL_RWread(stream, buffer, 1, 4), 0);
    EXPECT_STREQ(SDL_GetError(), "none"); // end of file is not an error

    EXPECT_NE(SDL_RWwrite(stream, "x", 1, 1), 1);
    EXPECT_EQ(std::string(SDL_GetError()).rfind("PhysicsFS error: ", 0), 0u);
    EXPECT_EQ(SDL_RWclose(stream), 0);
}

} // namespace
