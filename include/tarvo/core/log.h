/// @file
/// The engine log: one printf-formatted, flushed line per call, to standard output or a file.
#pragma once

#include "tarvo/api.h"

#include <cstdio>

namespace tarvo
{

/// A line log, to standard output until a file is opened; every line is flushed at once, so
/// the log is complete even when the process dies.
class TARVO_API Log
{
public:
    Log() = default;
    /// Closes the file, if any.
    ~Log();
    Log(const Log&) = delete;
    Log& operator=(const Log&) = delete;

    /// Opens (truncating) the log file; silent on failure, which leaves the log on stdout.
    /// Does nothing while a file is open.
    void open(const char* path);
    /// Closes the file; later lines go to stdout.
    void close();
    /// Whether lines go to a file.
    bool isOpen() const { return file != nullptr; }

    /// At most 1023 characters of text, then an end of line; flushed at once.
    void print(const char* format, ...) __attribute__((format(printf, 2, 3)));

private:
    FILE* file = nullptr;
};

/// The run's log (-logfile picks its file): set by start-up, null outside a run.
extern TARVO_API Log* gLog;

} // namespace tarvo
