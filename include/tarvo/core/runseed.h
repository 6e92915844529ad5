/// @file
/// The run's seed: every random choice of a run is drawn from it, so a replay that restores
/// it sees the same choices.
#pragma once

#include "tarvo/api.h"

#include <cstdint>

namespace tarvo
{

/// The seed of the run: from the clock, or from the replay being played. Set by start-up
/// before the game's first load; a game seeds its own random generators from it.
extern TARVO_API uint32_t gRunSeed;

/// A seed from the calendar time, in seconds: runs started in the same second share it.
TARVO_API uint32_t seedFromClock();

} // namespace tarvo
