// Writes small uncompressed zip archives for tests, so archive mounting can be exercised
// without any tool outside the test.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

inline uint32_t zipCrc32(const std::string& data)
{
    uint32_t crc = 0xFFFFFFFFu;
    for (const unsigned char byte : data) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
    }
    return ~crc;
}

// entries: (name inside the archive, content). Returns false when the file cannot be written.
inline bool writeZip(const std::string& path,
                     const std::vector<std::pair<std::string, std::string>>& entries)
{
    std::string out;
    std::string directory;
    auto put16 = [](std::string& s, uint32_t v) {
        s.push_back(static_cast<char>(v & 0xFF));
        s.push_back(static_cast<char>((v >> 8) & 0xFF));
    };
    auto put32 = [&](std::string& s, uint32_t v) {
        put16(s, v & 0xFFFF);
        put16(s, v >> 16);
    };
    for (const auto& [name, data] : entries) {
        const uint32_t offset = static_cast<uint32_t>(out.size());
        const uint32_t crc = zipCrc32(data);
        const uint32_t size = static_cast<uint32_t>(data.size());
        const uint32_t nameLength = static_cast<uint32_t>(name.size());
        put32(out, 0x04034b50);
        put16(out, 10);   // version needed
        put16(out, 0);    // flags
        put16(out, 0);    // stored
        put16(out, 0);    // time
        put16(out, 0x21); // date 1980-01-01
        put32(out, crc);
        put32(out, size);
        put32(out, size);
        put16(out, nameLength);
        put16(out, 0);
        out += name;
        out += data;

        put32(directory, 0x02014b50);
        put16(directory, 20);
        put16(directory, 10);
        put16(directory, 0);
        put16(directory, 0);
        put16(directory, 0);
        put16(directory, 0x21);
        put32(directory, crc);
        put32(directory, size);
        put32(directory, size);
        put16(directory, nameLength);
        put16(directory, 0); // extra
        put16(directory, 0); // comment
        put16(directory, 0); // disk
        put16(directory, 0); // internal attributes
        put32(directory, 0); // external attributes
        put32(directory, offset);
        directory += name;
    }
    const uint32_t directoryOffset = static_cast<uint32_t>(out.size());
    out += directory;
    put32(out, 0x06054b50);
    put16(out, 0);
    put16(out, 0);
    put16(out, static_cast<uint32_t>(entries.size()));
    put16(out, static_cast<uint32_t>(entries.size()));
    put32(out, static_cast<uint32_t>(directory.size()));
    put32(out, directoryOffset);
    put16(out, 0);

    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        return false;
    }
    const bool written = std::fwrite(out.data(), 1, out.size(), file) == out.size();
    return std::fclose(file) == 0 && written;
}
