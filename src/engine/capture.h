// Screen capture from the main loop: F12 saves the screen as a numbered PNG, F9 starts and
// stops a numbered GIF recording of one picture per two ticks, and a red dot in the window
// shows that a recording runs. Keys, pictures and the dot are the loop's, never the game's.
#pragma once

#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <vector>

class Surface;

class Capture
{
public:
    // Recordings started by the key stop by themselves after maxTicks (0: never).
    explicit Capture(uint32_t maxTicks);
    // Recordings not finished by finishAll are abandoned.
    ~Capture();
    Capture(const Capture&) = delete;
    Capture& operator=(const Capture&) = delete;

    // Saves the screen as it is now as kelda-NNNN.png.
    void screenshot(const Surface& screen);
    // F9 handled at the start of tick: starts a recording whose first picture is frame tick,
    // or stops the running one after that frame. path empty: the next kelda-NNNN.gif, limited
    // to maxTicks; otherwise that file, unlimited.
    void toggle(uint32_t tick, const std::string& path = std::string());
    // After the frame of tick is drawn (and before the dot): takes the pictures it is due for.
    void frameDrawn(uint32_t tick, const Surface& screen);
    // Tick has run but its frame is not drawn (the window is iconified).
    void frameSkipped(uint32_t tick);
    // Finishes every recording as if stopped after the last tick that ran; ticksRun is the
    // loop's counter, the first tick that has not run.
    void finishAll(uint32_t ticksRun);

    // Around the flip: the dot goes onto the screen, then the pixels under it come back.
    void drawDot(Surface& screen);
    void restoreDot(Surface& screen);

private:
    struct Recording;

    void advance(uint32_t tick, const Surface* screen);
    void finish(Recording& recording, uint32_t ticks);
    void fail(Recording& recording);

    uint32_t maxTicks = 0;
    std::list<std::unique_ptr<Recording>> recordings; // at most one without a stop tick
    std::vector<uint8_t> rgb;
    uint32_t underDot[16] = {};
    bool dotDrawn = false;
};

// The lowest numbered name prefix-NNNN.extension, from 0001, with no file of that name; false
// (with the last name) when all 9999 exist.
bool nextCaptureName(const char* prefix, const char* extension, std::string& name);
