/// @file
/// The process arguments, asked for one option word at a time; there is no option table.
#pragma once

#include "tarvo/api.h"

namespace tarvo
{

/// The program's argument words, read in place; word 0, the program, is never an option.
class TARVO_API CommandLine
{
public:
    /// Keeps argv, not a copy: the words must outlive the CommandLine.
    CommandLine(int argc, char** argv) : argc(argc), argv(argv) {}

    /// Position of the first word from 1 on equal to option (case-sensitive), or 0.
    unsigned findOption(const char* option) const;
    /// The word after position index, or null when there is none.
    const char* optionValue(unsigned index) const;

private:
    int argc = 0;
    char** argv = nullptr;
};

/// The arguments of the running program: set by start-up, null outside a run. A game may ask
/// it for options of its own; the engine ignores words it does not know.
extern TARVO_API CommandLine* gCommandLine;

} // namespace tarvo
