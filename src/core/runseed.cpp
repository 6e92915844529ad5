// The run's seed, taken from the calendar time unless a replay supplies it.
#include "tarvo/core/runseed.h"

#include <ctime>

namespace tarvo
{

uint32_t gRunSeed = 0;

uint32_t seedFromClock()
{
    return static_cast<uint32_t>(std::time(nullptr));
}

} // namespace tarvo
