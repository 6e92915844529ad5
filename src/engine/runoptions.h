// The options that say where a run's input comes from and what it writes besides the window:
// -record, -replay, -frames, -shot, -benchmark and -gif with -from and -to.
#pragma once

#include "core/replayfile.h"

#include <cstdint>
#include <string>
#include <vector>

class CommandLine;

struct RunOptions {
    const char* recordPath = nullptr;
    const char* replayPath = nullptr; // the replay itself is in replay
    Replay replay;
    const char* framesDir = nullptr;
    std::vector<uint32_t> shotTicks; // sorted, no repeats
    bool benchmark = false;
    const char* gifPath = nullptr; // the replay's frames gifFrom to gifTo as one recording
    uint32_t gifFrom = 0;
    uint32_t gifTo = UINT32_MAX; // the last frame
};

// Checks the options and reads the replay in full; throws Exception::userError on misuse or
// a damaged replay, so nothing starts.
RunOptions readRunOptions(const CommandLine& commandLine);

// "12,5,40" as ticks; false for anything but decimal u32 values separated by single commas.
bool parseTickList(const char* text, std::vector<uint32_t>& ticks);
