// The endless fixed-tick loop: runs every elapsed 1/60 s tick, then draws a frame when the
// window is visible, and follows the window's focus and iconify state.
#pragma once

#include <cstdint>

class MainLoop
{
public:
    MainLoop();

    [[noreturn]] void run();
    void update();
    void render();

    int tickCount = 0; // ticks run since the loop was created; the demo's animation phase
    int fps = 0;       // frames drawn in the last measured second

private:
    void pumpEvents();
    void updateAppState(bool initial);

    bool active = false;     // input focus and not iconified
    bool visible = false;    // not iconified
    bool wasVisible = false; // visibility before the latest change
    uint32_t lastFpsTime = 0;
    uint32_t lastTicks = 0; // the previous timer reading
    int frameCount = 0;     // frames drawn since the last FPS update
};

extern MainLoop* gMainLoop;
