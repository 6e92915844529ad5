// SDL_RWops callbacks over a PhysicsFS file. Positions are narrowed to SDL 1.2's 32-bit ints
// only after checking that they fit; every failure sets SDL's error text and returns -1.
#include "tarvo/fs/archive.h"

#include "tarvo/fs/vfs.h"

#include <SDL.h>
#include <climits>

namespace tarvo
{

namespace
{

VfsFile* handleOf(SDL_RWops* stream)
{
    return static_cast<VfsFile*>(stream->hidden.unknown.data1);
}

int seekStream(SDL_RWops* stream, int offset, int whence)
{
    VfsFile* handle = handleOf(stream);
    int64_t pos = 0;
    if (whence == RW_SEEK_SET) {
        pos = offset;
    } else if (whence == RW_SEEK_CUR) {
        const int64_t current = vfsTell(handle);
        if (current == -1) {
            SDL_SetError("Can't find position in file: %s", vfsLastError());
            return -1;
        }
        if (current > INT_MAX) {
            SDL_SetError("Can't fit current file position in an int!");
            return -1;
        }
        if (offset == 0) {
            return static_cast<int>(current);
        }
        pos = current + offset;
    } else if (whence == RW_SEEK_END) {
        const int64_t length = vfsLength(handle);
        if (length == -1) {
            SDL_SetError("Can't find end of file: %s", vfsLastError());
            return -1;
        }
        if (length > INT_MAX) {
            SDL_SetError("Can't fit end-of-file position in an int!");
            return -1;
        }
        pos = length + offset;
    } else {
        SDL_SetError("Invalid 'whence' parameter.");
        return -1;
    }
    if (pos < 0) {
        SDL_SetError("Attempt to seek past start of file.");
        return -1;
    }
    // A position past 2 GiB could not be returned as an int.
    if (pos > INT_MAX) {
        SDL_SetError("Can't fit current file position in an int!");
        return -1;
    }
    if (!vfsSeek(handle, static_cast<uint64_t>(pos))) {
        SDL_SetError("PhysicsFS error: %s", vfsLastError());
        return -1;
    }
    return static_cast<int>(pos);
}

int readStream(SDL_RWops* stream, void* buffer, int size, int count)
{
    VfsFile* handle = handleOf(stream);
    if (size < 0 || count < 0) {
        SDL_SetError("PhysicsFS error: %s", "negative read size");
        return -1;
    }
    const int64_t n =
        vfsRead(handle, buffer, static_cast<uint32_t>(size), static_cast<uint32_t>(count));
    if (n != count && !vfsAtEnd(handle)) {
        SDL_SetError("PhysicsFS error: %s", vfsLastError());
    }
    return static_cast<int>(n);
}

int writeStream(SDL_RWops* stream, const void* buffer, int size, int count)
{
    VfsFile* handle = handleOf(stream);
    if (size < 0 || count < 0) {
        SDL_SetError("PhysicsFS error: %s", "negative write size");
        return -1;
    }
    const int64_t n =
        vfsWrite(handle, buffer, static_cast<uint32_t>(size), static_cast<uint32_t>(count));
    if (n != count) {
        SDL_SetError("PhysicsFS error: %s", vfsLastError());
    }
    return static_cast<int>(n);
}

int closeStream(SDL_RWops* stream)
{
    if (!vfsClose(handleOf(stream))) {
        SDL_SetError("PhysicsFS error: %s", vfsLastError());
        return -1;
    }
    SDL_FreeRW(stream);
    return 0;
}

// A file handle on its way to becoming a stream; it never closes the handle itself.
struct ArchiveFile {
    VfsFile* handle = nullptr;

    // Hands the handle to a new stream (which then owns it), or returns null with SDL's
    // error text set when the open had failed.
    SDL_RWops* makeStream();
};

SDL_RWops* ArchiveFile::makeStream()
{
    if (!handle) {
        SDL_SetError("PhysicsFS error: %s", vfsLastError());
        return nullptr;
    }
    SDL_RWops* stream = SDL_AllocRW();
    if (!stream) {
        // Nobody else can close the file now, so do it here rather than leak it.
        vfsClose(handle);
        handle = nullptr;
        return nullptr;
    }
    stream->seek = seekStream;
    stream->read = readStream;
    stream->write = writeStream;
    stream->close = closeStream;
    stream->hidden.unknown.data1 = handle;
    return stream;
}

} // namespace

SDL_RWops* openArchiveStream(const char* name)
{
    ArchiveFile file;
    file.handle = vfsOpenRead(name);
    return file.makeStream();
}

} // namespace tarvo
