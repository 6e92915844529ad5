/// @file
/// The engine's one exception class for fatal errors, and the report written for it.
#pragma once

#include "tarvo/api.h"

#include <exception>
#include <string>

namespace tarvo
{

/// A fatal error: what the engine throws when it cannot go on.
///
/// The run catches it, writes report() to standard error, shuts down and returns 1; a game may
/// throw it for failures of its own.
class TARVO_API Exception : public std::exception
{
public:
    /// file is a static name such as "cfgfile" (kept as a pointer, not copied), or null for
    /// start-up failures (line -1).
    Exception(const std::string& message, const char* file = nullptr, int line = -1);
    /// A mistake in what the user asked for (an option, a replay file), reported as the one
    /// line "Error: " and the message.
    static Exception userError(const std::string& message);

    /// The message alone.
    const char* what() const noexcept override { return message.c_str(); }
    /// The static file name given at construction, or null.
    const char* getFile() const { return file; }
    /// The line given at construction; -1 without a file.
    int getLine() const { return line; }

    /// Writes the fixed report to standard error: two lines, or one for a user error.
    void report() const;

private:
    std::string message;
    const char* file = nullptr;
    int line = -1;
    bool byUser = false;
};

} // namespace tarvo
