// The replay reader's appetite and version 2's pads: what it refuses and where, the pad records
// read and written back; the full disk, version 1 and its errors are seen end to end with the
// program's own lines.
#include "core/replayfile.h"

#include <gtest/gtest.h>
#include <unistd.h>

using namespace tarvo;

namespace
{

const std::string kV1Head = std::string("TRVREPLY\1\0\1\1\0\0\0\0\1\0\0\0\7", 21);
const std::string kV2Head = std::string("TRVREPLY\2\0\1\1\0\0\0\0\1\0\0\0\7\2", 22); // 2 pads

std::string parseError(const std::string& bytes)
{
    Replay replay;
    std::string error;
    parseReplay(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), replay, error);
    return error;
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
    EXPECT_EQ(read(pipeEnds[0], rest, sizeof rest), 64 - static_cast<ssize_t>(kReplayHeaderSizeV1));
    close(pipeEnds[0]);
}

TEST(ReplayFile, PadRecordsAreReadAndWrittenBackByteForByte)
{
    const std::string file = kV2Head + std::string("\7\0\0\0\6\1\5\x30\xf8"  // axis
                                                   "\7\0\0\0\7\0\16"         // button down
                                                   "\x08\0\0\0\x08\1\xff"    // button up
                                                   "\x09\0\0\0\x09\1\2\x09", // hat
                                                   31);
    Replay replay;
    std::string error;
    ASSERT_TRUE(
        parseReplay(reinterpret_cast<const uint8_t*>(file.data()), file.size(), replay, error))
        << error;
    std::string read = std::to_string(replay.header.padCount) + " pads\n";
    std::string written = encodeReplayHeader(replay.header);
    for (const ReplayRecord& r : replay.records) {
        read += std::to_string(r.tick) + " " + std::to_string(int(r.type)) + " " +
                std::to_string(r.pad) + " " + std::to_string(r.control) + " " +
                std::to_string(r.value) + "\n";
        written += encodeReplayRecord(r);
    }
    EXPECT_EQ(read, "2 pads\n7 6 1 5 -2000\n7 7 0 14 0\n8 8 1 255 0\n9 9 1 2 9\n9 5 0 0 0\n");
    EXPECT_EQ(written, file + std::string("\x09\0\0\0\5", 5)); // the end record supplied
}

TEST(ReplayFile, DamagedVersionTwoFilesAreRefusedWhereTheyGoWrong)
{
    const std::string tick = std::string("\0\0\0\0", 4);
    const struct {
        const char* name;
        std::string bytes;
        const char* error;
    } cases[] = {
        {"header without its pad count", kV2Head.substr(0, 21), "truncated header at byte 21"},
        {"a version after 2", "TRVREPLY\3" + kV2Head.substr(9),
         "format version 3 is newer than 2 at byte 8"},
        {"axis of pad 2 of 2", kV2Head + tick + std::string("\6\2\0\0\0", 5),
         "pad 2 is not open at byte 22"},
        {"button up of pad 9", kV2Head + tick + std::string("\x08\x09\0", 3),
         "pad 9 is not open at byte 22"},
        {"hat of pad 255", kV2Head + tick + std::string("\x09\xff\0\1", 4),
         "pad 255 is not open at byte 22"},
        {"a pad record in a file of no pads",
         kV2Head.substr(0, 21) + std::string("\0", 1) + tick + std::string("\7\0\0", 3),
         "pad 0 is not open at byte 22"},
        {"a cut axis record", kV2Head + tick + std::string("\6\0\0\0", 4),
         "truncated record at byte 22"},
        {"a hat record in version 1", kV1Head + tick + std::string("\x09\0\0\0", 4),
         "unknown record type 9 at byte 21"},
        {"type 10", kV2Head + tick + std::string("\x0a", 1), "unknown record type 10 at byte 22"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(parseError(c.bytes), c.error) << c.name;
    }
}

} // namespace
