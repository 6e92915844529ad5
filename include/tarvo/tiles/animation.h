/// @file
/// Animation: frames shown one after another for whole numbers of ticks, as a sprite or an
/// animated tile plays them.
#pragma once

#include "tarvo/api.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tarvo
{

/// A sequence of frames, each shown for a number of ticks (60 a second), looping or once.
class TARVO_API Animation
{
public:
    /// One frame: what to show and for how long.
    struct Frame {
        int index = 0; ///< The frame's picture: a sprite sheet's frame, a tile number.
        int ticks = 1; ///< How long it shows; below 1 counts as 1.
    };

    std::vector<Frame> frames; ///< Played in order, from tick 0.
    bool loop = true;          ///< Starts over after the last frame; else stays on the last.

    /// Ticks for a duration in milliseconds as Tiled gives it: (ms x 60 + 500) / 1000 in
    /// integers, so rounded to the nearest tick, and at least 1 (also for 0 and below).
    static int ticksFromMilliseconds(int milliseconds);

    /// Ticks of one pass through every frame.
    int64_t totalTicks() const;
    /// The position in frames of the frame showing at tick (0 is the first tick of the first
    /// frame): past the end, a looping animation wraps round and one that plays once shows its
    /// last frame. 0 for an animation without frames.
    size_t frameAt(uint64_t tick) const;
};

} // namespace tarvo
