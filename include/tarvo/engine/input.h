/// @file
/// A game's input as named actions: each action is bound to keys and pad controls, and its
/// state changes only with the events the main loop handles, so a replay plays it exactly.
#pragma once

#include "tarvo/api.h"

#include <string>
#include <vector>

namespace tarvo
{

/// An action a game reads by name, and the inputs it is bound to unless the defaults file says
/// otherwise: `jump = {"space", "z", "pad:a"}` there replaces inputs.
struct Action {
    /// The action's name, also its key in the defaults file.
    std::string name;
    /// Input names: a key as SDL_GetKeyName names it (`left`, `space`, `left shift`), or a pad
    /// control such as `pad:a`, `pad:leftx-` or `pad:button3` (the README lists them). An
    /// unknown name is logged once at start-up and dropped.
    std::vector<std::string> inputs;
};

/// Whether some input bound to action is down in the current tick. False for an action the
/// game did not declare, outside a run, and for every action while the window lacks focus.
TARVO_API bool held(const std::string& action);

/// Whether action was not held after the previous tick and one of its inputs went down during
/// this tick's events; a press and a release within one tick give pressed and released true.
TARVO_API bool pressed(const std::string& action);

/// Whether action was held after the previous tick, or pressed in this one, and is not held
/// now. Losing the window's focus releases every held action.
TARVO_API bool released(const std::string& action);

/// Whether the window has the input focus and is not iconified, as the loop last handled it
/// (a replay's recorded state). While it has not, every input counts as up; a game may pause.
TARVO_API bool hasFocus();

/// The pads open for this run, numbered from 0; a replay gives the count it was recorded with
/// and never a live pad. Pads are listed once, at start-up.
TARVO_API int padCount();

} // namespace tarvo
