// The options that say where a run's input comes from and what it writes besides the window:
// -record, -replay, -frames, -shot, -benchmark, -gif with -from and -to, and -savedir.
#pragma once

#include "core/replayfile.h"
#include "engine/frameoutput.h"
#include "engine/inputstate.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tarvo
{

class CommandLine;

struct RunOptions {
    const char* recordPath = nullptr;
    const char* replayPath = nullptr; // the replay itself is in replay
    Replay replay;
    std::unique_ptr<FrameOutput> frames; // -frames, its folder and list already created
    bool benchmark = false;
    const char* gifPath = nullptr; // the replay's frames gifFrom to gifTo as one recording
    uint32_t gifFrom = 0;
    uint32_t gifTo = UINT32_MAX;         // the last frame
    std::string filePrefix;              // of F12's and F9's numbered pictures
    InputSetup input;                    // a replay's pad count is its header's
    uint8_t (*liveAppState)() = nullptr; // tests: the window state in place of SDL_GetAppState's
    // -savedir: the save folder in place of the player's or a recording's temporary one.
    const char* saveDir = nullptr;
};

// Checks the options, reads the replay in full and creates -frames' folder and list; throws
// Exception::userError on misuse, a damaged replay or a folder that cannot be written, so
// nothing starts.
RunOptions readRunOptions(const CommandLine& commandLine);

// "12,5,40" as ticks; false for anything but decimal u32 values separated by single commas.
bool parseTickList(const char* text, std::vector<uint32_t>& ticks);

} // namespace tarvo
