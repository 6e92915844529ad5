// The engine's version, as the start-up log and every replay file give it. The build reads its
// own version from the three macros, so this is the one place it is set.
#pragma once

#define TARVO_VERSION_MAJOR 1
#define TARVO_VERSION_MINOR 1
#define TARVO_VERSION_PATCH 0

namespace tarvo
{

const int kVersionMajor = TARVO_VERSION_MAJOR;
const int kVersionMinor = TARVO_VERSION_MINOR;
const int kVersionPatch = TARVO_VERSION_PATCH;

} // namespace tarvo
