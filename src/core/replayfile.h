// Replay files: a run's seed, its starting window state, its pad count and every event its main
// loop handled, each with its tick, so that the run can be played again exactly. Little-endian
// throughout. Version 1 files (no pads) are still read; the writer writes version 2.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tarvo
{

// Version 2 adds the pad count to the header and the pad records.
const uint16_t kReplayFormatVersion = 2;
const size_t kReplayHeaderSizeV1 = 21; // the reader takes these first, whatever the version
const size_t kReplayHeaderSize = 22;
const uint8_t kReplayFastTimeFlag = 0x01;

struct ReplayHeader {
    uint16_t version = kReplayFormatVersion; // 1 or 2: the header's size and the records allowed
    uint8_t engineVersion[3] = {};           // any version is accepted
    uint8_t flags = 0;                       // informational: -fasttime
    uint16_t scalePercent = 0;               // informational: -scaletime, 0 when not given
    uint32_t seed = 0;
    uint8_t appState = 0; // SDL_GetAppState at the start of the run
    uint8_t padCount = 0; // version 2: the pads open for the run, numbered from 0
};

enum class ReplayRecordType : uint8_t {
    KeyDown = 1,
    KeyUp = 2,
    AppState = 3,
    Quit = 4,
    End = 5,
    PadAxis = 6, // pad records: version 2 only
    PadButtonDown = 7,
    PadButtonUp = 8,
    PadHat = 9,
};

struct ReplayRecord {
    uint32_t tick = 0;
    ReplayRecordType type = ReplayRecordType::End;
    uint16_t sym = 0; // keys only
    uint16_t modifiers = 0;
    uint16_t unicode = 0;
    uint8_t appState = 0; // window state only: SDL_GetAppState after the change
    uint8_t pad = 0;      // pad records only: below the header's padCount
    uint8_t control = 0;  // the axis, button or hat number, as SDL gives it
    int16_t value = 0;    // an axis's position, or a hat's SDL_HAT_* bits
};

struct Replay {
    ReplayHeader header;
    // Ends with an End record; one is supplied when the file lacks it (hasEndRecord false).
    std::vector<ReplayRecord> records;
    bool hasEndRecord = false;
};

// The header's size in a file of this version.
size_t replayHeaderSize(uint16_t version);
// Parses a whole file image; on failure, error reads like "truncated record at byte 40".
bool parseReplay(const uint8_t* data, size_t size, Replay& replay, std::string& error);
// Reads and parses a file, checking it as it reads, so that a file whose first bytes are not a
// replay's is read no further; on failure, error reads like "replay FILE: cannot open (REASON)".
bool readReplay(const char* path, Replay& replay, std::string& error);

std::string encodeReplayHeader(const ReplayHeader& header);
std::string encodeReplayRecord(const ReplayRecord& record);

// Writes a replay as the run goes: whole records only, each written at once, so the file a
// crash or a full disk leaves behind is a usable prefix.
class ReplayWriter
{
public:
    ReplayWriter() = default;
    ~ReplayWriter();
    ReplayWriter(const ReplayWriter&) = delete;
    ReplayWriter& operator=(const ReplayWriter&) = delete;

    // Creates or truncates path and writes the header; false (and no file) when it cannot.
    bool open(const char* path, const ReplayHeader& header);
    bool isOpen() const { return fd >= 0; }
    // False when the file is not open or the record could not be written. The first failed
    // write cuts the file back to its last whole record, adds an end record at the failed
    // record's tick where that fits, and closes the file.
    bool write(const ReplayRecord& record);
    void close();

private:
    bool put(const std::string& bytes);

    int fd = -1;
    size_t whole = 0; // the bytes of the header and the whole records written
};

} // namespace tarvo
