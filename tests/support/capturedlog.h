// A log that writes to a temporary file and becomes gLog for the test's lifetime, so tests
// can read back exactly what the engine logged.
#pragma once

#include "support/gamedir.h"
#include "tarvo/core/log.h"

#include <string>

namespace tarvo
{

class CapturedLog
{
public:
    CapturedLog() : previous(gLog)
    {
        log.open(path.c_str());
        gLog = &log;
    }
    ~CapturedLog()
    {
        gLog = previous;
        log.close();
    }
    CapturedLog(const CapturedLog&) = delete;
    CapturedLog& operator=(const CapturedLog&) = delete;

    // Everything logged so far.
    std::string text() const { return readFile(path); }

private:
    const TempDir dir;
    const std::string path = dir.file("log.txt");
    Log log;
    Log* const previous;
};

} // namespace tarvo
