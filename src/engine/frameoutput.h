// The frames of a replay as data: one line "TICK CRC" per drawn frame in DIR/frames.txt, and
// chosen frames as DIR/TICK.png, so a run's pictures can be compared without a window.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

class Surface;

class FrameOutput
{
public:
    FrameOutput() = default;
    ~FrameOutput();
    FrameOutput(const FrameOutput&) = delete;
    FrameOutput& operator=(const FrameOutput&) = delete;

    // dir exists already; shotTicks are sorted. False when frames.txt cannot be created.
    bool open(const std::string& dir, const std::vector<uint32_t>& shotTicks);
    bool isOpen() const { return list != nullptr; }
    // The frame drawn after tick has run.
    void write(uint32_t tick, const Surface& screen);

private:
    FILE* list = nullptr;
    std::string dir;
    std::vector<uint32_t> shots;
    std::vector<uint8_t> rgb;
};
