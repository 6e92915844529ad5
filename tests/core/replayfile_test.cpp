// The replay reader's appetite: what it refuses, and the writer's cut on a full disk, are seen
// end to end with the program's own lines.
#include "core/replayfile.h"

#include <gtest/gtest.h>
#include <unistd.h>

using namespace tarvo;

namespace
{

TEST(ReplayFile, ReadingStopsAtTheHeaderOfAFileThatIsNotAReplay)
{
    int pipeEnds[2];
    ASSERT_EQ(pipe(pipeEnds), 0);
    const std::string junk(64, 'x');
    ASSERT_EQ(write(pipeEnds[1], junk.data(), junk.size()), 64);
    close(pipeEnds[1]);
    const std::string path = "/dev/fd/" + std::to_string(pipeEnds[0]);
    Replay replay;
    std::string error;
    EXPECT_FALSE(readReplay(path.c_str(), replay, error));
    EXPECT_EQ(error, "replay " + path + ": not a replay file at byte 0");
    char rest[64];
    EXPECT_EQ(read(pipeEnds[0], rest, sizeof rest), 64 - static_cast<ssize_t>(kReplayHeaderSize));
    close(pipeEnds[0]);
}

} // namespace
