/// @file
/// The engine's one door to PhysicsFS: the library's start and end, the search path and its
/// files. Nothing else includes the library, so its deprecated 1.x calls are allowed here only.
///
/// During a run the search path holds the program's folder, then the game directory, then its
/// pak000.zip to pak999.zip; earlier entries win. Virtual names use '/' on every system.
#pragma once

#include "tarvo/api.h"

#include <cstdint>
#include <string>
#include <vector>

struct PHYSFS_File;

namespace tarvo
{

/// An open file of the search path; callers only pass it back, and close it with vfsClose.
using VfsFile = PHYSFS_File;

/// Starts the library; argv0 may be null where the program's own directory is not wanted.
/// False when it cannot start or has started already. run does this for a game.
TARVO_API bool vfsInit(const char* argv0);
/// Whether the library has started.
TARVO_API bool vfsIsInit();
/// Stops the library and closes every file still open; null on success, else why it could not
/// (also when it never started).
TARVO_API const char* vfsDeinit();
/// The library's last error text, never null; reading it clears it.
TARVO_API const char* vfsLastError();

/// Appends a real directory or archive to the search path; false when it cannot be read.
TARVO_API bool vfsMount(const char* path);
/// Takes it off again; false while one of its files is open.
TARVO_API bool vfsUnmount(const char* path);
/// The entries of a directory of the search path ("" is the root), files and directories alike.
TARVO_API std::vector<std::string> vfsList(const char* dir);
/// Whether name is visible anywhere on the search path.
TARVO_API bool vfsExists(const char* name);
/// The real directory of the running program, ending in the separator; null before vfsInit.
TARVO_API const char* vfsBaseDir();
/// The real file system's directory separator, such as "/".
TARVO_API const char* vfsDirSeparator();

/// Opens a virtual name for reading; null when it cannot.
TARVO_API VfsFile* vfsOpenRead(const char* name);
/// One library read of count objects of size bytes: the whole objects read, -1 on error.
TARVO_API int64_t vfsRead(VfsFile* file, void* buffer, uint32_t size, uint32_t count);
/// Writes count objects of size bytes: the whole objects written, -1 on error. Files opened
/// by vfsOpenRead refuse it.
TARVO_API int64_t vfsWrite(VfsFile* file, const void* buffer, uint32_t size, uint32_t count);
/// Byte position, -1 on error.
TARVO_API int64_t vfsTell(VfsFile* file);
/// Length in bytes, -1 on error or when it cannot be known.
TARVO_API int64_t vfsLength(VfsFile* file);
/// Moves to a byte position from the start; false on error.
TARVO_API bool vfsSeek(VfsFile* file, uint64_t position);
/// Whether the position is at the end of the file.
TARVO_API bool vfsAtEnd(VfsFile* file);
/// False, leaving the file open, when the library cannot close it.
TARVO_API bool vfsClose(VfsFile* file);

} // namespace tarvo
