// The run's seed: every random choice of a run is drawn from it, so a replay that restores
// it sees the same choices.
#pragma once

#include <cstdint>

namespace tarvo
{

// Set by start-up: from the clock, or from the replay being played.
extern uint32_t gRunSeed;

uint32_t seedFromClock();

} // namespace tarvo
