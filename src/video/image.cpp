// Image loading through the virtual file system. A failed step logs one warning and leaves
// the Surface as it was; a successful one frees the picture it replaces.
#include "core/log.h"
#include "fs/archive.h"
#include "video/surface.h"

#include <SDL_image.h>

void Surface::loadImage(const char* name)
{
    SDL_RWops* stream = openArchiveStream(name);
    if (!stream) {
        gLog->print("Warning: Couldn't open image file '%s'.", name);
        return;
    }
    loadFromStream(stream, 1);
}

void Surface::loadFromStream(SDL_RWops* stream, int freeSource)
{
    SDL_Surface* image = IMG_Load_RW(stream, freeSource);
    if (!image) {
        gLog->print("Warning: IMG_Load_RW failed.");
        return;
    }
    adopt(image);
}

void Surface::convertToDisplayFormat(bool withAlpha)
{
    if (!sdlSurface) {
        return;
    }
    SDL_Surface* converted =
        withAlpha ? SDL_DisplayFormatAlpha(sdlSurface) : SDL_DisplayFormat(sdlSurface);
    if (!converted) {
        gLog->print("Warning: SDL_DisplayFormat failed.");
        return;
    }
    adopt(converted);
}
