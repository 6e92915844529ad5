// Start-up and shutdown: the engine's globals are created in a fixed order and destroyed by
// a routine that runs on every normal process exit.
#pragma once

#include "tarvo/api.h"

namespace tarvo
{

// Brings the engine up; throws Exception on a fatal failure. Exported for the demo's main.
TARVO_API void initEngine(int argc, char** argv);
// Registered with atexit by initEngine; copes with globals that were never created.
void shutdownEngine();

} // namespace tarvo
