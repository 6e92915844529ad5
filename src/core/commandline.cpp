// Option lookup over the raw argument words; the program path (word 0) is never an option.
#include "tarvo/core/commandline.h"

#include <cstring>

namespace tarvo
{

CommandLine* gCommandLine = nullptr;

unsigned CommandLine::findOption(const char* option) const
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], option) == 0) {
            return static_cast<unsigned>(i);
        }
    }
    return 0;
}

const char* CommandLine::optionValue(unsigned index) const
{
    if (argc < 0 || index + 1 >= static_cast<unsigned>(argc)) {
        return nullptr;
    }
    return argv[index + 1];
}

} // namespace tarvo
