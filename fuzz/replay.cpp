// libFuzzer target for the replay reader: any byte string is read as a replay file. A rejected
// one must say why; an accepted one must encode back to its own bytes, plus the end record the
// reader supplies when the file has none.
#include "core/replayfile.h"

#include <cstdlib>
#include <cstring>

using namespace tarvo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Replay replay;
    std::string error;
    if (!parseReplay(data, size, replay, error)) {
        if (error.empty()) {
            std::abort();
        }
        return 0;
    }
    std::string encoded = encodeReplayHeader(replay.header);
    for (const ReplayRecord& record : replay.records) {
        encoded += encodeReplayRecord(record);
    }
    const size_t supplied = replay.hasEndRecord ? 0 : 5;
    if (encoded.size() != size + supplied || std::memcmp(encoded.data(), data, size) != 0 ||
        replay.records.back().type != ReplayRecordType::End) {
        std::abort();
    }
    return 0;
}
