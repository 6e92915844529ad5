// Presentation on today's desktops. sdl12-compat scales the 320 x 240 screen itself; these
// ask it for whole-number, nearest-neighbour scaling (and vsync with double buffering) unless
// the user has set its variables. Everything drawn and saved stays 320 x 240.
#pragma once

namespace tarvo
{

// Before SDL_Init, which reads the scaling method.
void prepareScaleMethod();
// After SDL_Init and before the video mode is set; reads the desktop size from SDL. Under
// SDL's dummy driver, which shows nothing, the window is not scaled.
void prepareWindow(int width, int height, bool fullscreen, bool doublebuffer);
// The largest whole multiple of width x height that fits in about 85 percent of the desktop,
// and at least 1.
int windowScaleFactor(int desktopWidth, int desktopHeight, int width, int height);
// Frames as fast as they can be drawn, whatever the user or the configuration asked for.
void disableVblankWait();

} // namespace tarvo
