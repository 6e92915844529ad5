// The replay reader's appetite and version 2's pads: what it refuses and where, the pad records
// read and written back; the full disk and version 1's errors are seen end to end with the
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
    const struct {
        const char* name;
        std::string bytes; // after the u32 tick
        ReplayRecordType type;
        int pad, control, value;
    } cases[] = {
        {"axis, negative", std::string("\6\1\5\x30\xf8", 5), ReplayRecordType::PadAxis, 1, 5,
         -2000},
        {"button down", std::string("\7\0\16", 3), ReplayRecordType::PadButtonDown, 0, 14, 0},
        {"button up", std::string("\x08\1\xff", 3), ReplayRecordType::PadButtonUp, 1, 255, 0},
        {"hat left-up", std::string("\x09\1\2\x09", 4), ReplayRecordType::PadHat, 1, 2, 9},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string file = kV2Head + std::string("\7\0\0\0", 4) + c.bytes;
        Replay replay;
        std::string error;
        ASSERT_TRUE(
            parseReplay(reinterpret_cast<const uint8_t*>(file.data()), file.size(), replay, error))
            << error;
        EXPECT_EQ(replay.header.padCount, 2);
        const ReplayRecord& record = replay.records[0];
        EXPECT_EQ(
            std::make_tuple(record.tick, record.type, record.pad, record.control, record.value),
            std::make_tuple(7u, c.type, uint8_t(c.pad), uint8_t(c.control), int16_t(c.value)));
        EXPECT_EQ(encodeReplayHeader(replay.header) + encodeReplayRecord(record), file);
    }
}

TEST(ReplayFile, VersionOneIsReadAndWrittenWithItsShorterHeader)
{
    Replay replay;
    std::string error;
    const std::string file = kV1Head + std::string("\3\0\0\0\4", 5);
    ASSERT_TRUE(
        parseReplay(reinterpret_cast<const uint8_t*>(file.data()), file.size(), replay, error));
    EXPECT_EQ(std::tie(replay.header.version, replay.header.padCount, replay.records[0].tick),
              std::make_tuple(uint16_t{1}, uint8_t{0}, 3u));
    EXPECT_EQ(encodeReplayHeader(replay.header), kV1Head);
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
        {"button down of pad 9", kV2Head + tick + std::string("\7\x09\0", 3),
         "pad 9 is not open at byte 22"},
        {"button up of pad 2", kV2Head + tick + std::string("\x08\2\0", 3),
         "pad 2 is not open at byte 22"},
        {"hat of pad 255", kV2Head + tick + std::string("\x09\xff\0\1", 4),
         "pad 255 is not open at byte 22"},
        {"a pad record in a file of no pads",
         kV2Head.substr(0, 21) + std::string("\0", 1) + tick + std::string("\7\0\0", 3),
         "pad 0 is not open at byte 22"},
        {"a cut axis record", kV2Head + tick + std::string("\6\0\0\0", 4),
         "truncated record at byte 22"},
        {"a hat record in version 1", kV1Head + tick + std::string("\x09\0\0\0", 4),
         "unknown record type 9 at byte 21"},
        {"a button record in version 1", kV1Head + tick + std::string("\7\0\0", 3),
         "unknown record type 7 at byte 21"},
        {"type 10", kV2Head + tick + std::string("\x0a", 1), "unknown record type 10 at byte 22"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(parseError(c.bytes), c.error) << c.name;
    }
}

} // namespace
