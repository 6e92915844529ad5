// The frames of a replay as data: one line "TICK CRC" per drawn frame in DIR/frames.txt, and
// chosen frames as DIR/TICK.png, so a run's pictures can be compared without a window.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace tarvo
{

class Surface;

class FrameOutput
{
public:
    FrameOutput() = default;
    ~FrameOutput();
    FrameOutput(const FrameOutput&) = delete;
    FrameOutput& operator=(const FrameOutput&) = delete;

    // Creates dir with its missing parents, then dir/frames.txt; shotTicks are sorted. False,
    // with error "cannot create DIR (REASON)" or "cannot write FILE (REASON)", when either
    // fails; what this call created is removed again.
    bool open(const std::string& dir, const std::vector<uint32_t>& shotTicks, std::string& error);
    // The frame drawn after tick has run. False, with error "cannot write FILE (REASON)", when
    // its line or its shot cannot be written: the list, the shots and the folders this run
    // created are removed, and nothing more is written.
    bool write(uint32_t tick, const Surface& screen, std::string& error);

private:
    bool fail(const std::string& file, int reason, std::string& error);
    void removeOutput();

    FILE* list = nullptr;
    std::string dir;
    std::vector<uint32_t> shots;
    std::vector<std::string> createdFolders; // outermost first
    std::vector<std::string> writtenFiles;
    std::vector<uint8_t> rgb;
};

} // namespace tarvo
