// Start-up and shutdown: the engine's globals are created in a fixed order and destroyed by
// a routine that runs on every normal process exit.
#pragma once

namespace tarvo
{

// Brings the engine up; throws Exception on a fatal failure.
void initEngine(int argc, char** argv);
// Registered with atexit by initEngine; copes with globals that were never created.
void shutdownEngine();

} // namespace tarvo
