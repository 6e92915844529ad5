// A log that writes to a temporary file and becomes gLog for the test's lifetime, so tests
// can read back exactly what the engine logged.
#pragma once

#include "core/log.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

class CapturedLog
{
public:
    CapturedLog()
    {
        char name[] = "/tmp/tarvo-log-XXXXXX";
        const int fd = mkstemp(name);
        if (fd >= 0) {
            ::close(fd);
        }
        path = name;
        log.open(path.c_str());
        previous = gLog;
        gLog = &log;
    }
    ~CapturedLog()
    {
        gLog = previous;
        log.close();
        std::remove(path.c_str());
    }
    CapturedLog(const CapturedLog&) = delete;
    CapturedLog& operator=(const CapturedLog&) = delete;

    // Everything logged so far.
    std::string text() const
    {
        std::ifstream in(path);
        std::stringstream all;
        all << in.rdbuf();
        return all.str();
    }

private:
    Log log;
    Log* previous = nullptr;
    std::string path;
};
