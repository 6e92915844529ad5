// libFuzzer target for the defaults file: any byte string is read as kelda.cfg. Whatever the
// file holds, parse() must return (a warning at worst) with the channel count in range.
#include "core/cfgfile.h"

#include "core/log.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace
{

std::string gPath;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    gLog = new Log;
    gLog->open("/dev/null");
    char dir[] = "/tmp/tarvo-cfgfuzz-XXXXXX";
    gPath = std::string(mkdtemp(dir)) + "/kelda.cfg";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FILE* file = std::fopen(gPath.c_str(), "wb");
    if (!file || std::fwrite(data, 1, size, file) != size || std::fclose(file) != 0) {
        std::abort();
    }
    Config config(gPath);
    config.parse();
    if (config.numsfxchannels < 1 || config.numsfxchannels > 64) {
        __builtin_trap();
    }
    return 0;
}
