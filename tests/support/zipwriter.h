// Small uncompressed zip archives built in memory, so archive mounting can be tested without
// any tool outside the test.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>
#include <zlib.h>

// entries: (name inside the archive, content).
inline std::string zipArchive(const std::vector<std::pair<std::string, std::string>>& entries)
{
    const auto put = [](std::string& out, uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) {
            out.push_back(static_cast<char>(value >> 8 * i)); // little-endian
        }
    };
    std::string files, directory;
    for (const auto& [name, data] : entries) {
        const uint32_t size = static_cast<uint32_t>(data.size());
        const uint32_t crc = crc32(0, reinterpret_cast<const Bytef*>(data.data()), size);
        const uint32_t nameSize = static_cast<uint32_t>(name.size());
        // From "version needed" to "extra length", the same in both headers: stored, dated
        // 1980-01-01.
        const uint32_t fields[][2] = {{10, 2},  {0, 2},    {0, 2},    {0, 2},        {0x21, 2},
                                      {crc, 4}, {size, 4}, {size, 4}, {nameSize, 2}, {0, 2}};
        std::string shared;
        for (const auto& [value, bytes] : fields) {
            put(shared, value, static_cast<int>(bytes));
        }
        put(directory, 0x02014b50, 4);
        put(directory, 20, 2);
        directory += shared;
        directory.append(10, '\0'); // comment length, disk, internal and external attributes
        put(directory, static_cast<uint32_t>(files.size()), 4);
        directory += name;
        put(files, 0x04034b50, 4);
        files += shared + name + data;
    }
    std::string end;
    put(end, 0x06054b50, 4);
    put(end, 0, 4); // this disk, the directory's disk
    put(end, static_cast<uint32_t>(entries.size()), 2);
    put(end, static_cast<uint32_t>(entries.size()), 2);
    put(end, static_cast<uint32_t>(directory.size()), 4);
    put(end, static_cast<uint32_t>(files.size()), 4);
    put(end, 0, 2);
    return files + directory + end;
}
