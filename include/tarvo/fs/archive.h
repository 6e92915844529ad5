// Files of the virtual file system as SDL streams, so the image and audio decoders can read
// straight out of the game directory or a pak archive.
#pragma once

#include "tarvo/api.h"
#include "tarvo/fs/vfs.h"

struct SDL_RWops;

namespace tarvo
{

// A file handle on its way to becoming a stream; it never closes the handle itself.
struct TARVO_API ArchiveFile {
    VfsFile* handle = nullptr;

    // Hands the handle to a new stream (which then owns it), or returns null with SDL's
    // error text set when the open had failed.
    SDL_RWops* makeStream();
};

// Opens name for reading and wraps it; null (with SDL's error text) when it cannot be opened.
TARVO_API SDL_RWops* openArchiveStream(const char* name);

} // namespace tarvo
