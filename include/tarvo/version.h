/// @file
/// The engine's version, as the start-up log and every replay file give it. The build reads its
/// own version from the three macros, so this is the one place it is set.
#pragma once

/// The major version; the shared library's name carries it (libtarvo.so.1).
#define TARVO_VERSION_MAJOR 1
/// The minor version: what it adds leaves a game built for an earlier minor working.
#define TARVO_VERSION_MINOR 1
/// The patch version: fixes only.
#define TARVO_VERSION_PATCH 0

/// Everything of the Tarvo Engine. A game keeps its own code in a namespace of its own.
namespace tarvo
{

///@{
/// The version macros as constants.
const int kVersionMajor = TARVO_VERSION_MAJOR;
const int kVersionMinor = TARVO_VERSION_MINOR;
const int kVersionPatch = TARVO_VERSION_PATCH;
///@}

} // namespace tarvo
