// The replay file's reader and writer. The reader checks the whole file before the run
// starts, so a damaged replay stops the program before anything is shown.
#include "core/replayfile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace tarvo
{

namespace
{

const char kMagic[8] = {'T', 'R', 'V', 'R', 'E', 'P', 'L', 'Y'};
const size_t kRecordHeadSize = 5; // u32 tick, u8 type

uint32_t readLittle(const uint8_t* bytes, int count)
{
    uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i) {
        value = (value << 8) | bytes[i];
    }
    return value;
}

void putLittle(std::string& out, uint32_t value, int count)
{
    for (int i = 0; i < count; ++i) {
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
    }
}

// Bytes after the type field, or -1 for a type this version does not have.
int payloadSize(uint8_t type, uint16_t version)
{
    switch (static_cast<ReplayRecordType>(type)) {
    case ReplayRecordType::KeyDown:
    case ReplayRecordType::KeyUp:
        return 6;
    case ReplayRecordType::AppState:
        return 1;
    case ReplayRecordType::Quit:
    case ReplayRecordType::End:
        return 0;
    case ReplayRecordType::PadAxis:
        return version >= 2 ? 4 : -1;
    case ReplayRecordType::PadButtonDown:
    case ReplayRecordType::PadButtonUp:
        return version >= 2 ? 2 : -1;
    case ReplayRecordType::PadHat:
        return version >= 2 ? 3 : -1;
    }
    return -1;
}

bool isPadRecord(ReplayRecordType type)
{
    return type >= ReplayRecordType::PadAxis && type <= ReplayRecordType::PadHat;
}

std::string atByte(const std::string& what, size_t offset)
{
    return what + " at byte " + std::to_string(offset);
}

bool checkVersion(uint32_t version, std::string& error)
{
    if (version >= 1 && version <= kReplayFormatVersion) {
        return true;
    }
    const std::string v = "format version " + std::to_string(version);
    error = atByte(v + (version == 0 ? " is not 1" : " is newer than 2"), 8);
    return false;
}

// The header's bytes, its magic and version already checked.
void parseHeader(const uint8_t* data, ReplayHeader& header)
{
    header.version = static_cast<uint16_t>(readLittle(data + 8, 2));
    std::memcpy(header.engineVersion, data + 10, 3);
    header.flags = data[13];
    header.scalePercent = static_cast<uint16_t>(readLittle(data + 14, 2));
    header.seed = readLittle(data + 16, 4);
    header.appState = data[20];
    header.padCount = header.version >= 2 ? data[21] : 0;
}

// A record's fields after its type: payload bytes, a size the type has.
void parseFields(const uint8_t* fields, int payload, ReplayRecord& record)
{
    switch (record.type) {
    case ReplayRecordType::KeyDown:
    case ReplayRecordType::KeyUp:
        record.sym = static_cast<uint16_t>(readLittle(fields, 2));
        record.modifiers = static_cast<uint16_t>(readLittle(fields + 2, 2));
        record.unicode = static_cast<uint16_t>(readLittle(fields + 4, 2));
        break;
    case ReplayRecordType::AppState:
        record.appState = fields[0];
        break;
    case ReplayRecordType::PadAxis:
    case ReplayRecordType::PadButtonDown:
    case ReplayRecordType::PadButtonUp:
    case ReplayRecordType::PadHat:
        // The value after pad and control: an axis's i16, a hat's u8, nothing for a button.
        record.pad = fields[0];
        record.control = fields[1];
        record.value = static_cast<int16_t>(readLittle(fields + 2, payload - 2));
        break;
    case ReplayRecordType::Quit:
    case ReplayRecordType::End:
        break;
    }
}

// Checks a replay's bytes as they arrive, so that reading stops at the first fault: a file
// that is not a replay is refused by its first bytes, however long it is.
class ReplayParser
{
public:
    // Takes the file's next bytes; false at the first fault.
    bool feed(const uint8_t* data, size_t size, std::string& error);
    // The file has ended: false when it ends inside the header or a record.
    bool finish(Replay& replay, std::string& error);

private:
    bool takeHeader(std::string& error);
    bool takeRecords(std::string& error);

    Replay parsed;
    bool headerRead = false;
    std::vector<uint8_t> pending; // the bytes of an incomplete header or record
    size_t offset = 0;            // the file offset of pending's first byte
};

bool ReplayParser::feed(const uint8_t* data, size_t size, std::string& error)
{
    pending.insert(pending.end(), data, data + size);
    if (!headerRead && !takeHeader(error)) {
        return false;
    }
    return !headerRead || takeRecords(error);
}

bool ReplayParser::takeHeader(std::string& error)
{
    // A short file is called truncated only while what it has still matches the magic. An
    // empty one has no bytes to compare, and memcmp must not be handed its null data.
    if (!pending.empty() &&
        std::memcmp(pending.data(), kMagic, std::min(pending.size(), sizeof kMagic)) != 0) {
        error = atByte("not a replay file", 0);
        return false;
    }
    if (pending.size() < kReplayHeaderSizeV1) {
        return true;
    }
    const uint32_t version = readLittle(pending.data() + 8, 2);
    if (!checkVersion(version, error)) {
        return false;
    }
    const size_t size = replayHeaderSize(static_cast<uint16_t>(version));
    if (pending.size() < size) {
        return true;
    }
    parseHeader(pending.data(), parsed.header);
    pending.erase(pending.begin(), pending.begin() + static_cast<std::ptrdiff_t>(size));
    offset = size;
    headerRead = true;
    return true;
}

bool ReplayParser::takeRecords(std::string& error)
{
    size_t used = 0;
    for (;;) {
        const uint8_t* bytes = pending.data() + used;
        const size_t left = pending.size() - used;
        const size_t at = offset + used;
        if (left > 0 && parsed.hasEndRecord) {
            error = atByte("data after the end record", at);
            return false;
        }
        if (left < kRecordHeadSize) {
            break;
        }
        const int payload = payloadSize(bytes[4], parsed.header.version);
        if (payload < 0) {
            error = atByte("unknown record type " + std::to_string(bytes[4]), at);
            return false;
        }
        if (left < kRecordHeadSize + static_cast<size_t>(payload)) {
            break;
        }
        ReplayRecord record;
        record.tick = readLittle(bytes, 4);
        record.type = static_cast<ReplayRecordType>(bytes[4]);
        if (!parsed.records.empty() && record.tick < parsed.records.back().tick) {
            error = atByte("tick goes backwards", at);
            return false;
        }
        parseFields(bytes + kRecordHeadSize, payload, record);
        if (isPadRecord(record.type) && record.pad >= parsed.header.padCount) {
            error = atByte("pad " + std::to_string(record.pad) + " is not open", at);
            return false;
        }
        parsed.hasEndRecord = record.type == ReplayRecordType::End;
        parsed.records.push_back(record);
        used += kRecordHeadSize + static_cast<size_t>(payload);
    }
    pending.erase(pending.begin(), pending.begin() + static_cast<std::ptrdiff_t>(used));
    offset += used;
    return true;
}

bool ReplayParser::finish(Replay& replay, std::string& error)
{
    if (!headerRead) {
        error = atByte("truncated header", pending.size());
        return false;
    }
    if (!pending.empty()) {
        error = atByte("truncated record", offset);
        return false;
    }
    // A recording cut short at a record boundary ends where its last record stands.
    if (!parsed.hasEndRecord) {
        ReplayRecord end;
        end.tick = parsed.records.empty() ? 0 : parsed.records.back().tick;
        parsed.records.push_back(end);
    }
    replay = std::move(parsed);
    return true;
}

} // namespace

size_t replayHeaderSize(uint16_t version)
{
    return version >= 2 ? kReplayHeaderSize : kReplayHeaderSizeV1;
}

bool parseReplay(const uint8_t* data, size_t size, Replay& replay, std::string& error)
{
    ReplayParser parser;
    return parser.feed(data, size, error) && parser.finish(replay, error);
}

bool readReplay(const char* path, Replay& replay, std::string& error)
{
    const std::string prefix = std::string("replay ") + path + ": ";
    FILE* file = std::fopen(path, "rb");
    if (!file) {
        error = prefix + "cannot open (" + std::strerror(errno) + ")";
        return false;
    }
    // Unbuffered, and the header first: a file refused by its first bytes is read no further.
    std::setvbuf(file, nullptr, _IONBF, 0);
    ReplayParser parser;
    uint8_t chunk[4096];
    size_t wanted = kReplayHeaderSizeV1;
    size_t count = 0;
    bool fine = true;
    while (fine && (count = std::fread(chunk, 1, wanted, file)) > 0) {
        fine = parser.feed(chunk, count, error);
        wanted = sizeof chunk;
    }
    // Linux opens a directory for reading; the read is what fails.
    const bool failed = fine && std::ferror(file) != 0;
    const int readError = errno;
    std::fclose(file);
    if (failed) {
        error = prefix + "cannot open (" + std::strerror(readError) + ")";
        return false;
    }
    if (!fine || !parser.finish(replay, error)) {
        error = prefix + error;
        return false;
    }
    return true;
}

std::string encodeReplayHeader(const ReplayHeader& header)
{
    std::string out(kMagic, sizeof kMagic);
    putLittle(out, header.version, 2);
    out.append(reinterpret_cast<const char*>(header.engineVersion), 3);
    putLittle(out, header.flags, 1);
    putLittle(out, header.scalePercent, 2);
    putLittle(out, header.seed, 4);
    putLittle(out, header.appState, 1);
    if (header.version >= 2) {
        putLittle(out, header.padCount, 1);
    }
    return out;
}

std::string encodeReplayRecord(const ReplayRecord& record)
{
    std::string out;
    putLittle(out, record.tick, 4);
    const uint8_t type = static_cast<uint8_t>(record.type);
    putLittle(out, type, 1);
    switch (record.type) {
    case ReplayRecordType::KeyDown:
    case ReplayRecordType::KeyUp:
        putLittle(out, record.sym, 2);
        putLittle(out, record.modifiers, 2);
        putLittle(out, record.unicode, 2);
        break;
    case ReplayRecordType::AppState:
        putLittle(out, record.appState, 1);
        break;
    case ReplayRecordType::PadAxis:
    case ReplayRecordType::PadButtonDown:
    case ReplayRecordType::PadButtonUp:
    case ReplayRecordType::PadHat:
        putLittle(out, record.pad, 1);
        putLittle(out, record.control, 1);
        putLittle(out, static_cast<uint16_t>(record.value), payloadSize(type, 2) - 2);
        break;
    case ReplayRecordType::Quit:
    case ReplayRecordType::End:
        break;
    }
    return out;
}

ReplayWriter::~ReplayWriter()
{
    close();
}

bool ReplayWriter::open(const char* path, const ReplayHeader& header)
{
    close();
    fd = ::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        return false;
    }
    const std::string head = encodeReplayHeader(header);
    if (!put(head)) {
        ::close(fd);
        fd = -1;
        ::unlink(path);
        return false;
    }
    whole = head.size();
    return true;
}

bool ReplayWriter::write(const ReplayRecord& record)
{
    if (fd < 0) {
        return false;
    }
    const std::string bytes = encodeReplayRecord(record);
    if (put(bytes)) {
        whole += bytes.size();
        return true;
    }
    // Part of the record may be on disk: cut it off, so the file still plays, and end it at
    // the record's tick, whose events are no longer all there.
    ReplayRecord end;
    end.tick = record.tick;
    if (::ftruncate(fd, static_cast<off_t>(whole)) == 0 &&
        ::lseek(fd, static_cast<off_t>(whole), SEEK_SET) >= 0 && !put(encodeReplayRecord(end))) {
        (void)::ftruncate(fd, static_cast<off_t>(whole));
    }
    close();
    return false;
}

bool ReplayWriter::put(const std::string& bytes)
{
    // Written straight to the file: nothing is held back, so a crash leaves whole records.
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t count = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            return false;
        }
        done += static_cast<size_t>(count);
    }
    return true;
}

void ReplayWriter::close()
{
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
}

} // namespace tarvo
