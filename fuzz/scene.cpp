// libFuzzer target for polyraster's scene reader: any byte string is read as a scene and drawn,
// with textures from a scratch directory and sides capped so that one input stays fast.
#include "scenefile.h"
#include "scratch.h"
#include "tarvo/core/exception.h"

#include <fstream>
#include <sstream>
#include <string>

using namespace tarvo;

namespace
{

std::string gScenePath;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    openQuietLog();
    const std::string root = makeScratchDir("tarvo-scenefuzz");
    // Enough texels for any texture up to 64 x 64, in a pattern with every kind of alpha.
    std::ofstream texels(root + "/t.raw", std::ios::binary);
    for (int i = 0; i < 64 * 64 * 4; ++i) {
        texels.put(static_cast<char>(i * 37 % 256));
    }
    gScenePath = root + "/scene.txt";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    Scene scene(gScenePath, 64);
    try {
        scene.read(in);
    } catch (const SceneError&) {
    } catch (const Exception&) {
    }
    return 0;
}
