// Archive streams: SDL's seek, read, write and close over a file of the search path, setting
// SDL's error text exactly when a call fails.
#include "support/gamedir.h"
#include "tarvo/fs/archive.h"

#include <SDL.h>
#include <gtest/gtest.h>
#include <string>

using namespace tarvo;

namespace
{

// "PhysicsFS error: " and the library's reason after it.
bool hasLibraryReason(const std::string& error)
{
    return error.rfind("PhysicsFS error: ", 0) == 0 && error.size() > 17;
}

TEST(ArchiveStream, BehavesLikeAReadOnlyFile)
{
    const GameDir game;
    game.write("data/ten.bin", "0123456789");
    SDL_SetError("earlier error");
    EXPECT_EQ(openArchiveStream("data/none.bin"), nullptr);
    EXPECT_TRUE(hasLibraryReason(SDL_GetError())) << SDL_GetError();

    SDL_RWops* stream = openArchiveStream("data/ten.bin");
    ASSERT_NE(stream, nullptr);
    const struct {
        int offset, whence, result;
        const char* error; // null: no error expected
    } seeks[] = {
        {4, RW_SEEK_SET, 4, nullptr},
        {0, RW_SEEK_CUR, 4, nullptr}, // a pure position query
        {2, RW_SEEK_CUR, 6, nullptr},
        {0, RW_SEEK_END, 10, nullptr},
        {-3, RW_SEEK_END, 7, nullptr},
        {-1, RW_SEEK_SET, -1, "Attempt to seek past start of file."},
        {-8, RW_SEEK_CUR, -1, "Attempt to seek past start of file."},
        {0, 3, -1, "Invalid 'whence' parameter."},
    };
    for (const auto& seek : seeks) {
        SDL_SetError("none");
        EXPECT_EQ(SDL_RWseek(stream, seek.offset, seek.whence), seek.result) << seek.offset;
        EXPECT_STREQ(SDL_GetError(), seek.error ? seek.error : "none");
    }
    // The failed seeks left the position where the last good one put it.
    EXPECT_EQ(SDL_RWtell(stream), 7);

    char buffer[8] = {};
    EXPECT_EQ(SDL_RWseek(stream, 0, RW_SEEK_SET), 0);
    EXPECT_EQ(SDL_RWread(stream, buffer, 4, 2), 2);
    EXPECT_EQ(std::string(buffer, 8), "01234567");
    SDL_SetError("none");
    EXPECT_EQ(SDL_RWread(stream, buffer, 4, 2), 0); // two bytes left: no whole object
    EXPECT_EQ(SDL_RWread(stream, buffer, 1, 4), 0);
    EXPECT_STREQ(SDL_GetError(), "none"); // end of file is not an error
    EXPECT_NE(SDL_RWwrite(stream, "x", 1, 1), 1);
    EXPECT_TRUE(hasLibraryReason(SDL_GetError())) << SDL_GetError();
    EXPECT_EQ(SDL_RWclose(stream), 0);
}

} // namespace
