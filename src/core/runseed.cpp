// The run's seed, taken from the calendar time unless a replay supplies it.
#include "core/runseed.h"

#include <ctime>

uint32_t gRunSeed = 0;

uint32_t seedFromClock()
{
    return static_cast<uint32_t>(std::time(nullptr));
}
