// The endless fixed-tick loop: runs the elapsed 1/60 s ticks, then draws a frame when the
// window is visible, and follows the window's focus and iconify state. It can record what it
// handles, or take its input from a replay instead of the keyboard, the window and the clock.
#pragma once

#include "tarvo/api.h"

#include <cstdint>
#include <memory>

union SDL_Event;

namespace tarvo
{

struct RunOptions;

class TARVO_API MainLoop
{
public:
    MainLoop();
    explicit MainLoop(RunOptions options);
    // Finishes the run unless finish has.
    ~MainLoop();
    MainLoop(const MainLoop&) = delete;
    MainLoop& operator=(const MainLoop&) = delete;

    [[noreturn]] void run();
    // Finishes the GIF recordings, ends a replay recording with its end record at the current
    // tick and reports a benchmark, once. False when -gif's file was not written, which it
    // reports on standard error.
    bool finish();
    // Live: every elapsed tick, up to a second of game time. Replaying: exactly one tick, or the
    // end of the replay.
    void update();
    void render();

    // Ticks run since the loop was created, modulo 2^32; the demo's animation phase.
    uint32_t tickCount = 0;
    int fps = 0; // frames drawn in the last measured second

private:
    struct Session;

    void runTick();
    void pumpEvents();
    void injectReplayedEvents();
    void handleEvent(const SDL_Event& event);
    void handleCaptureKey(int sym);
    void updateAppState(bool initial);
    uint8_t appState() const;

    bool active = false;     // input focus and not iconified
    bool visible = false;    // not iconified
    bool wasVisible = false; // visibility before the latest change
    uint32_t lastFpsTime = 0;
    uint32_t lastTicks = 0;       // the previous timer reading
    uint32_t maxTicksPerPass = 0; // one second of game time: a stall is not caught up
    int frameCount = 0;           // frames drawn since the last FPS update
    std::unique_ptr<Session> session;
};

extern TARVO_API MainLoop* gMainLoop;

} // namespace tarvo
