// libFuzzer target for the defaults file: any byte string is read as kelda.cfg. Whatever the
// file holds, parse() must return (a warning at worst) with the channel count in range.
#include "scratch.h"
#include "tarvo/core/cfgfile.h"

#include <string>

using namespace tarvo;

namespace
{

std::string gPath;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    openQuietLog();
    gPath = makeScratchDir("tarvo-cfgfuzz") + "/kelda.cfg";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    writeInput(gPath, data, size);
    Config config(gPath);
    config.parse();
    if (config.numsfxchannels < 1 || config.numsfxchannels > 64) {
        __builtin_trap();
    }
    return 0;
}
