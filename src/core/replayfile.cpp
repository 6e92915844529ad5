// The replay file's reader and writer. The reader checks the whole file before the run
// starts, so a damaged replay stops the program before anything is shown.
#include "core/replayfile.h"

#include <cerrno>
#include <cstring>

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

// Bytes after the type field, or -1 for a type this format does not have.
int payloadSize(uint8_t type)
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
    }
    return -1;
}

std::string atByte(const std::string& what, size_t offset)
{
    return what + " at byte " + std::to_string(offset);
}

bool parseHeader(const uint8_t* data, size_t size, ReplayHeader& header, std::string& error)
{
    // A short file is called truncated only while what it has still matches the magic.
    const size_t compared = size < sizeof kMagic ? size : sizeof kMagic;
    if (compared > 0 && std::memcmp(data, kMagic, compared) != 0) {
        error = atByte("not a replay file", 0);
        return false;
    }
    if (size < kReplayHeaderSize) {
        error = atByte("truncated header", size);
        return false;
    }
    const uint32_t version = readLittle(data + 8, 2);
    if (version != kReplayFormatVersion) {
        const std::string v = "format version " + std::to_string(version);
        error = atByte(v + (version == 0 ? " is not 1" : " is newer than 1"), 8);
        return false;
    }
    std::memcpy(header.engineVersion, data + 10, 3);
    header.flags = data[13];
    header.scalePercent = static_cast<uint16_t>(readLittle(data + 14, 2));
    header.seed = readLittle(data + 16, 4);
    header.appState = data[20];
    return true;
}

} // namespace

bool parseReplay(const uint8_t* data, size_t size, Replay& replay, std::string& error)
{
    Replay parsed;
    if (!parseHeader(data, size, parsed.header, error)) {
        return false;
    }
    size_t offset = kReplayHeaderSize;
    while (offset < size) {
        if (parsed.hasEndRecord) {
            error = atByte("data after the end record", offset);
            return false;
        }
        if (size - offset < kRecordHeadSize) {
            error = atByte("truncated record", offset);
            return false;
        }
        const uint8_t* bytes = data + offset;
        const int payload = payloadSize(bytes[4]);
        if (payload < 0) {
            error = atByte("unknown record type " + std::to_string(bytes[4]), offset);
            return false;
        }
        if (size - offset - kRecordHeadSize < static_cast<size_t>(payload)) {
            error = atByte("truncated record", offset);
            return false;
        }
        ReplayRecord record;
        record.tick = readLittle(bytes, 4);
        record.type = static_cast<ReplayRecordType>(bytes[4]);
        if (!parsed.records.empty() && record.tick < parsed.records.back().tick) {
            error = atByte("tick goes backwards", offset);
            return false;
        }
        if (payload == 6) {
            record.sym = static_cast<uint16_t>(readLittle(bytes + 5, 2));
            record.modifiers = static_cast<uint16_t>(readLittle(bytes + 7, 2));
            record.unicode = static_cast<uint16_t>(readLittle(bytes + 9, 2));
        } else if (payload == 1) {
            record.appState = bytes[5];
        }
        parsed.hasEndRecord = record.type == ReplayRecordType::End;
        parsed.records.push_back(record);
        offset += kRecordHeadSize + static_cast<size_t>(payload);
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

bool readReplay(const char* path, Replay& replay, std::string& error)
{
    const std::string prefix = std::string("replay ") + path + ": ";
    FILE* file = std::fopen(path, "rb");
    std::vector<uint8_t> data;
    if (file) {
        uint8_t chunk[4096];
        size_t count = 0;
        while ((count = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
            data.insert(data.end(), chunk, chunk + count);
        }
        // Linux opens a directory for reading; the read is what fails.
        const bool failed = std::ferror(file) != 0;
        const int readError = errno;
        std::fclose(file);
        if (failed) {
            error = prefix + "cannot open (" + std::strerror(readError) + ")";
            return false;
        }
    } else {
        error = prefix + "cannot open (" + std::strerror(errno) + ")";
        return false;
    }
    if (!parseReplay(data.data(), data.size(), replay, error)) {
        error = prefix + error;
        return false;
    }
    return true;
}

std::string encodeReplayHeader(const ReplayHeader& header)
{
    std::string out(kMagic, sizeof kMagic);
    putLittle(out, kReplayFormatVersion, 2);
    out.append(reinterpret_cast<const char*>(header.engineVersion), 3);
    putLittle(out, header.flags, 1);
    putLittle(out, header.scalePercent, 2);
    putLittle(out, header.seed, 4);
    putLittle(out, header.appState, 1);
    return out;
}

std::string encodeReplayRecord(const ReplayRecord& record)
{
    std::string out;
    putLittle(out, record.tick, 4);
    const uint8_t type = static_cast<uint8_t>(record.type);
    putLittle(out, type, 1);
    if (payloadSize(type) == 6) {
        putLittle(out, record.sym, 2);
        putLittle(out, record.modifiers, 2);
        putLittle(out, record.unicode, 2);
    } else if (payloadSize(type) == 1) {
        putLittle(out, record.appState, 1);
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
    file = std::fopen(path, "wb");
    if (file) {
        put(encodeReplayHeader(header));
    }
    return file != nullptr;
}

void ReplayWriter::write(const ReplayRecord& record)
{
    if (file) {
        put(encodeReplayRecord(record));
    }
}

void ReplayWriter::put(const std::string& bytes)
{
    // One write and a flush per record: the stream never holds part of one.
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fflush(file);
}

void ReplayWriter::close()
{
    if (file) {
        std::fclose(file);
        file = nullptr;
    }
}
