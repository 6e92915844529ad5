// Reading and checking the record and replay options: every mistake is found before SDL
// starts, -replay's own first.
#include "engine/runoptions.h"

#include "tarvo/core/commandline.h"
#include "tarvo/core/exception.h"

#include <algorithm>

namespace tarvo
{

namespace
{

// The option's word; the option must be present.
const char* needValue(const CommandLine& commandLine, const char* option)
{
    const char* value = commandLine.optionValue(commandLine.findOption(option));
    if (!value) {
        throw Exception::userError(std::string(option) + " needs a value");
    }
    return value;
}

// A path the run writes to: an option in its place is a forgotten path, not one to write.
const char* needPath(const CommandLine& commandLine, const char* option)
{
    const char* value = needValue(commandLine, option);
    if (value[0] == '-' || value[0] == '\0') {
        throw Exception::userError(std::string(option) + " needs a value");
    }
    return value;
}

void needOption(const CommandLine& commandLine, const char* option, const char* needed)
{
    if (commandLine.findOption(option) && !commandLine.findOption(needed)) {
        throw Exception::userError(std::string(option) + " needs " + needed);
    }
}

// A decimal u32 from p on, leaving p after its digits; false without digits or past 2^32 - 1.
bool parseTick(const char*& p, uint32_t& tick)
{
    uint64_t value = 0;
    const char* digits = p;
    for (; *p >= '0' && *p <= '9'; ++p) {
        value = value * 10 + static_cast<uint64_t>(*p - '0');
        if (value > UINT32_MAX) {
            return false;
        }
    }
    tick = static_cast<uint32_t>(value);
    return p != digits;
}

// -from and -to: a single tick, when given.
void readTickOption(const CommandLine& commandLine, const char* option, uint32_t& tick)
{
    if (!commandLine.findOption(option)) {
        return;
    }
    const char* text = needValue(commandLine, option);
    const char* p = text;
    if (!parseTick(p, tick) || *p != '\0') {
        throw Exception::userError(std::string(option) + ": bad tick \"" + text + "\"");
    }
}

} // namespace

bool parseTickList(const char* text, std::vector<uint32_t>& ticks)
{
    std::vector<uint32_t> parsed;
    const char* p = text;
    do {
        uint32_t tick = 0;
        if (!parseTick(p, tick) || (*p != ',' && *p != '\0')) {
            return false;
        }
        parsed.push_back(tick);
    } while (*p++ == ',');
    std::sort(parsed.begin(), parsed.end());
    parsed.erase(std::unique(parsed.begin(), parsed.end()), parsed.end());
    ticks = std::move(parsed);
    return true;
}

RunOptions readRunOptions(const CommandLine& commandLine)
{
    RunOptions options;
    if (commandLine.findOption("-replay")) {
        options.replayPath = needValue(commandLine, "-replay");
        std::string error;
        if (!readReplay(options.replayPath, options.replay, error)) {
            throw Exception::userError(error);
        }
    }
    if (commandLine.findOption("-record")) {
        options.recordPath = needValue(commandLine, "-record");
    }
    for (const char* option : {"-frames", "-shot", "-benchmark", "-gif"}) {
        needOption(commandLine, option, "-replay");
    }
    needOption(commandLine, "-shot", "-frames");
    needOption(commandLine, "-from", "-gif");
    needOption(commandLine, "-to", "-gif");
    if (commandLine.findOption("-gif")) {
        options.gifPath = needPath(commandLine, "-gif");
    }
    if (commandLine.findOption("-savedir")) {
        options.saveDir = needPath(commandLine, "-savedir");
    }
    readTickOption(commandLine, "-from", options.gifFrom);
    readTickOption(commandLine, "-to", options.gifTo);
    if (options.gifTo < options.gifFrom) {
        throw Exception::userError("-to: bad tick \"" + std::string(needValue(commandLine, "-to")) +
                                   "\"");
    }
    const char* framesDir =
        commandLine.findOption("-frames") ? needValue(commandLine, "-frames") : nullptr;
    std::vector<uint32_t> shotTicks;
    if (commandLine.findOption("-shot")) {
        const char* list = needValue(commandLine, "-shot");
        if (!parseTickList(list, shotTicks)) {
            throw Exception::userError(std::string("-shot: bad tick list \"") + list + "\"");
        }
    }
    options.benchmark = commandLine.findOption("-benchmark") != 0;
    // Last, once nothing else can refuse the run, so a refused run creates nothing.
    if (framesDir) {
        options.frames = std::make_unique<FrameOutput>();
        std::string error;
        if (!options.frames->open(framesDir, shotTicks, error)) {
            throw Exception::userError("-frames: " + error);
        }
    }
    return options;
}

} // namespace tarvo
