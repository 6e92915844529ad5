// Animation: durations rounded from milliseconds once, frames found by walking the durations.
#include "tarvo/tiles/animation.h"

#include <algorithm>

namespace tarvo
{

namespace
{

int64_t frameTicks(const Animation::Frame& frame)
{
    return std::max(frame.ticks, 1);
}

} // namespace

int Animation::ticksFromMilliseconds(int milliseconds)
{
    // In 64 bits: a duration past 35 million milliseconds would overflow the product.
    const int64_t ticks = (int64_t{milliseconds} * 60 + 500) / 1000;
    return static_cast<int>(std::max<int64_t>(ticks, 1));
}

int64_t Animation::totalTicks() const
{
    int64_t total = 0;
    for (const Frame& frame : frames) {
        total += frameTicks(frame);
    }
    return total;
}

size_t Animation::frameAt(uint64_t tick) const
{
    if (frames.empty()) {
        return 0;
    }
    const auto total = static_cast<uint64_t>(totalTicks());
    if (tick >= total) {
        if (!loop) {
            return frames.size() - 1;
        }
        tick %= total;
    }
    size_t position = 0;
    for (uint64_t end = frameTicks(frames[0]); tick >= end; end += frameTicks(frames[++position])) {
    }
    return position;
}

} // namespace tarvo
