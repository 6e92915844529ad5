/// @file
/// Files of the virtual file system as SDL streams, so the image and audio decoders can read
/// straight out of the game directory or a pak archive.
#pragma once

#include "tarvo/api.h"

struct SDL_RWops;

namespace tarvo
{

/// Opens a virtual file for reading as an SDL stream, which the caller closes with SDL_RWclose
/// (or hands to a loader that closes it). Null, with SDL's error text set, when the file cannot
/// be opened. Seeking works within the first 2 GiB.
TARVO_API SDL_RWops* openArchiveStream(const char* name);

} // namespace tarvo
