/// @file
/// The level designer's loop: `-level FILE` starts the game with a level from disk, a Tiled
/// map or a level file, and F5 reloads it in place after each save.
#pragma once

#include "tarvo/api.h"

#include <string>

namespace tarvo
{

/// The FILE of `-level FILE` for this run, or "" without the option (and outside a run). When
/// it is set, gLevel holds that level from before the game's load(false): a game that has a
/// level of its own to show should show gLevel instead. F5 reloads FILE into gLevel in place,
/// keeping the game's camera and restarting the animation clock; a map that fails then leaves
/// the old level and a warning in the log.
TARVO_API const std::string& levelPath();

} // namespace tarvo
