// The engine log. Every line is flushed so the log is complete even if the process dies.
#include "tarvo/core/log.h"

#include <cstdarg>

namespace tarvo
{

Log* gLog = nullptr;

Log::~Log()
{
    close();
}

void Log::open(const char* path)
{
    if (file) {
        return;
    }
    file = std::fopen(path, "w");
}

void Log::close()
{
    if (file) {
        std::fclose(file);
        file = nullptr;
    }
}

void Log::print(const char* format, ...)
{
    char text[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);

    FILE* out = file ? file : stdout;
    std::fputs(text, out);
    std::fputc('\n', out);
    std::fflush(out);
}

} // namespace tarvo
