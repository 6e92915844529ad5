// Rotate-and-scale through SDL_gfx; this Surface takes ownership of the transformed copy.
#include "tarvo/video/surface.h"

#include <SDL_rotozoom.h>

namespace tarvo
{

void Surface::rotoZoom(const Surface& source, double angle, double zoom, int smooth)
{
    if (!source.sdlSurface) {
        return;
    }
    SDL_Surface* result = rotozoomSurfaceXY(source.sdlSurface, angle, zoom, zoom, smooth);
    if (result) {
        adopt(result);
    }
}

} // namespace tarvo
