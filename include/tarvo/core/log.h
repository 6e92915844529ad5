// The engine log: one printf-formatted, flushed line per call, to standard output or a file.
#pragma once

#include "tarvo/api.h"

#include <cstdio>

namespace tarvo
{

class TARVO_API Log
{
public:
    Log() = default;
    ~Log();
    Log(const Log&) = delete;
    Log& operator=(const Log&) = delete;

    // Opens (truncating) the log file; silent on failure, which leaves the log on stdout.
    void open(const char* path);
    void close();
    bool isOpen() const { return file != nullptr; }

    // At most 1023 characters of text, then an end of line; flushed at once.
    void print(const char* format, ...) __attribute__((format(printf, 2, 3)));

private:
    FILE* file = nullptr;
};

extern TARVO_API Log* gLog;

} // namespace tarvo
