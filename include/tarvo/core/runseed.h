// The run's seed: every random choice of a run is drawn from it, so a replay that restores
// it sees the same choices.
#pragma once

#include "tarvo/api.h"

#include <cstdint>

namespace tarvo
{

// Set by start-up: from the clock, or from the replay being played.
extern TARVO_API uint32_t gRunSeed;

TARVO_API uint32_t seedFromClock();

} // namespace tarvo
