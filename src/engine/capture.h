// Screen capture from the main loop: F12 saves the screen as a numbered PNG, F9 starts and
// stops a numbered GIF recording of one picture per two ticks, -gif records a fixed range of
// frames, and a red dot in the window shows that a recording runs. Keys, pictures and the dot
// are the loop's, never the game's.
#pragma once

#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <vector>

namespace tarvo
{

class Surface;

class Capture
{
public:
    // Recordings started by the key stop by themselves after maxTicks (0: never); screenshots
    // and those recordings are named prefix-NNNN.png and prefix-NNNN.gif.
    Capture(uint32_t maxTicks, std::string prefix);
    // Recordings not finished by finishAll are abandoned.
    ~Capture();
    Capture(const Capture&) = delete;
    Capture& operator=(const Capture&) = delete;

    // Saves the screen as it is now as the next prefix-NNNN.png.
    void screenshot(const Surface& screen);
    // F9 handled at the start of tick: stops the running F9 recording after that frame, or
    // starts one into the next prefix-NNNN.gif whose first picture is frame tick, limited to
    // maxTicks. A range recording is neither stopped nor counted.
    void toggle(uint32_t tick);
    // Starts recording the frames tick to lastTick (UINT32_MAX: to the end) into path, at
    // the start of tick; F9 does not touch it.
    void startRange(uint32_t tick, uint32_t lastTick, const std::string& path);
    // After the frame of tick is drawn (and before the dot): takes the pictures it is due for.
    void frameDrawn(uint32_t tick, const Surface& screen);
    // Tick has run but its frame is not drawn (the window is iconified).
    void frameSkipped(uint32_t tick);
    // Finishes every recording as if stopped after the last tick that ran; ticksRun is the
    // loop's counter, the first tick that has not run.
    void finishAll(uint32_t ticksRun);
    // The range recording has been saved.
    bool rangeSaved() const { return rangeWritten; }

    // Around the flip: the dot goes onto the screen, then the pixels under it come back.
    void drawDot(Surface& screen);
    void restoreDot(Surface& screen);

private:
    struct Recording;

    void start(std::unique_ptr<Recording> recording, uint32_t tick);
    void advance(uint32_t tick, const Surface* screen);
    void finish(Recording& recording, uint32_t ticks);
    void fail(Recording& recording);

    uint32_t maxTicks = 0;
    std::string prefix;
    std::list<std::unique_ptr<Recording>> recordings; // at most one F9 one without a stop
    std::vector<uint8_t> rgb;
    uint32_t underDot[16] = {};
    bool dotDrawn = false;
    bool rangeWritten = false;
};

// Reserves the lowest numbered name prefix-NNNN.extension, from 0001, by creating it empty
// with an exclusive create: any entry of that name, a dangling link too, is passed over and
// never written through. False (with the last name tried) when all 9999 are taken or the
// folder refuses the file.
bool reserveCaptureName(const std::string& prefix, const char* extension, std::string& name);

} // namespace tarvo
