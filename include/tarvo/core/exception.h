// The engine's one exception class for fatal errors, and the report main writes for it.
#pragma once

#include "tarvo/api.h"

#include <exception>
#include <string>

namespace tarvo
{

class TARVO_API Exception : public std::exception
{
public:
    // file is a static name such as "cfgfile", or null for start-up failures (line -1).
    Exception(const std::string& message, const char* file = nullptr, int line = -1);
    // A mistake in what the user asked for (an option, a replay file), reported as the one
    // line "Error: " and the message.
    static Exception userError(const std::string& message);

    const char* what() const noexcept override { return message.c_str(); }
    const char* getFile() const { return file; }
    int getLine() const { return line; }

    // Writes the fixed report to standard error: two lines, or one for a user error.
    void report() const;

private:
    std::string message;
    const char* file = nullptr;
    int line = -1;
    bool byUser = false;
};

} // namespace tarvo
