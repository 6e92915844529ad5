// The process arguments, asked for one option word at a time; there is no option table.
#pragma once

#include "tarvo/api.h"

namespace tarvo
{

class TARVO_API CommandLine
{
public:
    CommandLine(int argc, char** argv) : argc(argc), argv(argv) {}

    // Position of the first word from 1 on equal to option (case-sensitive), or 0.
    unsigned findOption(const char* option) const;
    // The word after position index, or null when there is none.
    const char* optionValue(unsigned index) const;

private:
    int argc = 0;
    char** argv = nullptr;
};

extern TARVO_API CommandLine* gCommandLine;

} // namespace tarvo
