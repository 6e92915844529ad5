// Fatal errors: message plus the place they were thrown, reported on standard error by main.
#include "tarvo/core/exception.h"

#include <cstdio>

namespace tarvo
{

Exception::Exception(const std::string& message, const char* file, int line)
    : message(message), file(file), line(line)
{
}

Exception Exception::userError(const std::string& message)
{
    Exception error(message);
    error.byUser = true;
    return error;
}

void Exception::report() const
{
    if (byUser) {
        std::fprintf(stderr, "Error: %s\n", message.c_str());
        std::fflush(stderr);
        return;
    }
    if (file) {
        std::fprintf(stderr, "Exception at %s, line %d.\n", file, line);
    } else {
        std::fputs("General Exception.\n", stderr);
    }
    std::fprintf(stderr, "Message: %s\n", message.c_str());
    std::fflush(stderr);
}

} // namespace tarvo
