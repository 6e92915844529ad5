// The read-only search path: program directory, game directory, then its pak archives.
// Private, but the library exports what leveldump needs to mount a game as the engine does.
#pragma once

#include "tarvo/api.h"

namespace tarvo
{

// Starts PhysicsFS and mounts the program's own directory; throws Exception on failure.
void initFileSystem(const char* argv0);
// Mounts the game directory and every pak000.zip to pak999.zip in it, logging each archive
// by its path below game.
TARVO_API void addGameData(const char* game);
// Stops PhysicsFS, warning on stderr when it cannot, as after a start-up that never reached it.
TARVO_API void shutdownFileSystem();

} // namespace tarvo
