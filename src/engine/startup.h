// Start-up and shutdown around the loop's passes: run is start, passes, stop, and a port that
// gets its passes from elsewhere (a browser's frame callback) calls the three itself.
#pragma once

#include <exception>

namespace tarvo
{

class Game;
struct GameInfo;

// Brings the engine up for game and creates gMainLoop, which calls game.load(false); throws
// Exception on a fatal failure.
void startEngine(int argc, char** argv, const GameInfo& info, Game& game);
// The game's unload when its load(false) has returned, then shutdown, which copes with globals
// that were never created. False after a failure reported on standard error: unload's, or
// -gif's file not written.
bool stopEngine(Game& game);
// Writes the report of a fatal error, or of another exception, to standard error.
void reportFailure(const std::exception& error);
// Whether the run has been asked to end; never outside run.
bool quitRequested();

} // namespace tarvo
