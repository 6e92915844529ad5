// What the fuzz targets share: a log that goes nowhere, a scratch directory and writing the
// input to a file there for the readers that only take file names.
#pragma once

#include "tarvo/core/log.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace tarvo
{

inline void openQuietLog()
{
    gLog = new Log;
    gLog->open("/dev/null");
}

// A new directory under /tmp whose name starts with prefix.
inline std::string makeScratchDir(const char* prefix)
{
    std::string name = std::string("/tmp/") + prefix + "-XXXXXX";
    if (!mkdtemp(name.data())) {
        std::abort();
    }
    return name;
}

inline void writeInput(const std::string& path, const uint8_t* data, size_t size)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file || std::fwrite(data, 1, size, file) != size || std::fclose(file) != 0) {
        std::abort();
    }
}

} // namespace tarvo
