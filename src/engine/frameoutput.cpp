// Frame checksums and shots: zlib's crc32 over the R, G, B bytes of the 320 x 240 screen.
#include "engine/frameoutput.h"

#include "video/pngfile.h"
#include "video/surface.h"

#include <algorithm>
#include <cinttypes>
#include <zlib.h>

FrameOutput::~FrameOutput()
{
    if (list) {
        std::fclose(list);
    }
}

bool FrameOutput::open(const std::string& directory, const std::vector<uint32_t>& shotTicks)
{
    dir = directory;
    shots = shotTicks;
    list = std::fopen((dir + "/frames.txt").c_str(), "w");
    return list != nullptr;
}

void FrameOutput::write(uint32_t tick, const Surface& screen)
{
    if (!list) {
        return;
    }
    screen.readRgb(rgb);
    const uLong crc = crc32(0L, rgb.data(), static_cast<uInt>(rgb.size()));
    std::fprintf(list, "%" PRIu32 " %08lx\n", tick, static_cast<unsigned long>(crc));
    if (std::binary_search(shots.begin(), shots.end(), tick)) {
        writePng(dir + "/" + std::to_string(tick) + ".png", rgb.data(), screen.getWidth(),
                 screen.getHeight(), 3);
    }
}
