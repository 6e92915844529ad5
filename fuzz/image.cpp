// libFuzzer target for image and font loading: any byte string is a file of a mounted game
// directory, loaded through the archive stream as a picture (a failed load must keep the old
// one) and as a font sheet, and both are drawn.
#include "scratch.h"
#include "tarvo/fs/vfs.h"
#include "tarvo/video/font.h"
#include "tarvo/video/surface.h"

#include <SDL.h>
#include <string>

using namespace tarvo;

namespace
{

std::string gFilePath;
Surface* gTarget = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    openQuietLog();
    vfsInit(nullptr);
    const std::string root = makeScratchDir("tarvo-imagefuzz");
    vfsMount(root.c_str());
    gFilePath = root + "/in";
    gTarget = new Surface;
    gTarget->create(argbFormat(96, 64));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    writeInput(gFilePath, data, size);
    Surface picture;
    picture.create(argbFormat(3, 2));
    const SDL_Surface* before = picture.getSdlSurface();
    picture.loadImage("in");
    const SDL_Surface* after = picture.getSdlSurface();
    if (!after || (after == before && (after->w != 3 || after->h != 2))) {
        __builtin_trap();
    }
    SDL_Rect place = {-7, 5, 0, 0};
    gTarget->blitFrom(picture, nullptr, &place);

    const BitmapFont font("in", 9, 13);
    font.drawText(*gTarget, -3, 50, "Tarvo\tEngine\n~ \x7f\xff!", BitmapFont::centered);
    return 0;
}
