// Presentation settings for sdl12-compat, given only where the user has not given their own.
#include "video/display.h"

#include <SDL.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace tarvo
{

namespace
{

// Leaves a little room for panels and window borders.
const int kComfortPercent = 85;

void setUnlessSet(const char* name, const char* value)
{
    setenv(name, value, 0);
}

} // namespace

int windowScaleFactor(int desktopWidth, int desktopHeight, int width, int height)
{
    if (width <= 0 || height <= 0) {
        return 1;
    }
    const int across = desktopWidth * kComfortPercent / 100 / width;
    const int down = desktopHeight * kComfortPercent / 100 / height;
    return std::max(1, std::min(across, down));
}

void prepareScaleMethod()
{
    setUnlessSet("SDL12COMPAT_SCALE_METHOD", "nearest");
}

void prepareWindow(int width, int height, bool fullscreen, bool doublebuffer)
{
    if (doublebuffer) {
        setUnlessSet("SDL12COMPAT_SYNC_TO_VBLANK", "1");
    }
    // SDL's dummy driver shows nothing, so scaling would only time the presentation.
    char driver[16] = "";
    const bool shown =
        SDL_VideoDriverName(driver, sizeof driver) && std::strcmp(driver, "dummy") != 0;
    if (fullscreen || !shown || std::getenv("SDL12COMPAT_WINDOW_SCALING")) {
        return;
    }
    // Before the video mode is set, the current mode is the desktop's.
    const SDL_VideoInfo* info = SDL_GetVideoInfo();
    if (!info || info->current_w <= 0 || info->current_h <= 0) {
        return;
    }
    char factor[16];
    std::snprintf(factor, sizeof factor, "%d",
                  windowScaleFactor(info->current_w, info->current_h, width, height));
    setUnlessSet("SDL12COMPAT_WINDOW_SCALING", factor);
}

void disableVblankWait()
{
    setenv("SDL12COMPAT_SYNC_TO_VBLANK", "0", 1);
}

} // namespace tarvo
