// The replay reader's appetite and the writer under a full disk. What the reader refuses is
// seen end to end, with the program's own error lines.
#include "core/replayfile.h"
#include "support/gamedir.h"

#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

namespace
{

ReplayRecord record(uint32_t tick, ReplayRecordType type)
{
    ReplayRecord r;
    r.tick = tick;
    r.type = type;
    return r;
}

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

TEST(ReplayFile, WriterCutsAFailedWriteBackToWholeRecords)
{
    ReplayRecord key = record(7, ReplayRecordType::KeyDown);
    key.sym = 'p';
    const std::string head = encodeReplayHeader(ReplayHeader()) + encodeReplayRecord(key);
    const std::string end = encodeReplayRecord(record(9, ReplayRecordType::End));
    struct Case {
        const char* name;
        size_t room; // the file-size limit, past the header and the first record
        std::string expected;
    };
    const Case cases[] = {
        {"an end record at the failed record's tick where it fits", 5, head + end},
        {"whole records alone where it does not", 4, head},
    };
    signal(SIGXFSZ, SIG_IGN);
    rlimit unlimited;
    getrlimit(RLIMIT_FSIZE, &unlimited);
    for (const Case& c : cases) {
        const TempDir dir;
        const std::string path = dir.file("replay");
        ReplayWriter writer;
        ASSERT_TRUE(writer.open(path.c_str(), ReplayHeader()));
        ASSERT_TRUE(writer.write(key));
        const rlimit limit{head.size() + c.room, unlimited.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limit);
        EXPECT_FALSE(writer.write(record(9, ReplayRecordType::AppState))) << c.name;
        EXPECT_FALSE(writer.write(record(9, ReplayRecordType::Quit))) << c.name;
        setrlimit(RLIMIT_FSIZE, &unlimited);
        EXPECT_FALSE(writer.isOpen()) << c.name;
        EXPECT_EQ(readFile(path), c.expected) << c.name;
    }
}

} // namespace
