// SDL_RWops callbacks over a PhysicsFS file. Positions are narrowed to SDL 1.2's 32-bit ints
// only after checking that they fit; every failure sets SDL's error text and returns -1.
#include "fs/archive.h"

#include <climits>

// The 1.x-style calls are deprecated in PhysicsFS 3 but remain the interface this engine uses.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

const char* physfsLastError()
{
    const char* text = PHYSFS_getLastError();
    return text ? text : "unknown error";
}

namespace
{

PHYSFS_File* handleOf(SDL_RWops* stream)
{
    return static_cast<PHYSFS_File*>(stream->hidden.unknown.data1);
}

int seekStream(SDL_RWops* stream, int offset, int whence)
{
    PHYSFS_File* handle = handleOf(stream);
    PHYSFS_sint64 pos = 0;
    if (whence == RW_SEEK_SET) {
        pos = offset;
    } else if (whence == RW_SEEK_CUR) {
        const PHYSFS_sint64 current = PHYSFS_tell(handle);
        if (current == -1) {
            SDL_SetError("Can't find position in file: %s", physfsLastError());
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
        const PHYSFS_sint64 length = PHYSFS_fileLength(handle);
        if (length == -1) {
            SDL_SetError("Can't find end of file: %s", physfsLastError());
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
    if (PHYSFS_seek(handle, static_cast<PHYSFS_uint64>(pos)) == 0) {
        SDL_SetError("PhysicsFS error: %s", physfsLastError());
        return -1;
    }
    return static_cast<int>(pos);
}

int readStream(SDL_RWops* stream, void* buffer, int size, int count)
{
    PHYSFS_File* handle = handleOf(stream);
    if (size < 0 || count < 0) {
        SDL_SetError("PhysicsFS error: %s", "negative read size");
        return -1;
    }
    const PHYSFS_sint64 n = PHYSFS_read(handle, buffer, static_cast<PHYSFS_uint32>(size),
                                        static_cast<PHYSFS_uint32>(count));
    if (n != count && PHYSFS_eof(handle) == 0) {
        SDL_SetError("PhysicsFS error: %s", physfsLastError());
    }
    return static_cast<int>(n);
}

int writeStream(SDL_RWops* stream, const void* buffer, int size, int count)
{
    PHYSFS_File* handle = handleOf(stream);
    if (size < 0 || count < 0) {
        SDL_SetError("PhysicsFS error: %s", "negative write size");
        return -1;
    }
    const PHYSFS_sint64 n = PHYSFS_write(handle, buffer, static_cast<PHYSFS_uint32>(size),
                                         static_cast<PHYSFS_uint32>(count));
    if (n != count) {
        SDL_SetError("PhysicsFS error: %s", physfsLastError());
    }
    return static_cast<int>(n);
}

int closeStream(SDL_RWops* stream)
{
    if (PHYSFS_close(handleOf(stream)) == 0) {
        SDL_SetError("PhysicsFS error: %s", physfsLastError());
        return -1;
    }
    SDL_FreeRW(stream);
    return 0;
}

} // namespace

SDL_RWops* ArchiveFile::makeStream()
{
    if (!handle) {
        SDL_SetError("PhysicsFS error: %s", physfsLastError());
        return nullptr;
    }
    SDL_RWops* stream = SDL_AllocRW();
    if (!stream) {
        // Nobody else can close the file now, so do it here rather than leak it.
        PHYSFS_close(handle);
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

SDL_RWops* openArchiveStream(const char* name)
{
    ArchiveFile file;
    file.handle = PHYSFS_openRead(name);
    return file.makeStream();
}

#pragma GCC diagnostic pop
