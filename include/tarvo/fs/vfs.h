// The engine's one door to PhysicsFS: the library's start and end, the search path and its
// files. Nothing else includes the library, so its deprecated 1.x calls are allowed here only.
#pragma once

#include "tarvo/api.h"

#include <cstdint>
#include <string>
#include <vector>

struct PHYSFS_File;

namespace tarvo
{

// An open file of the search path; callers only pass it back.
using VfsFile = PHYSFS_File;

// Starts the library; argv0 may be null where the program's own directory is not wanted.
TARVO_API bool vfsInit(const char* argv0);
TARVO_API bool vfsIsInit();
// Stops the library; null on success, else why it could not (also when it never started).
TARVO_API const char* vfsDeinit();
// The library's last error text, never null; reading it clears it.
TARVO_API const char* vfsLastError();

// Appends a directory or archive to the search path.
TARVO_API bool vfsMount(const char* path);
// Takes it off again; false while one of its files is open.
TARVO_API bool vfsUnmount(const char* path);
// The entries of a directory of the search path ("" is the root), files and directories alike.
TARVO_API std::vector<std::string> vfsList(const char* dir);
// Whether name is visible anywhere on the search path.
TARVO_API bool vfsExists(const char* name);
TARVO_API const char* vfsBaseDir();
TARVO_API const char* vfsDirSeparator();

// Opens a virtual name for reading; null when it cannot.
TARVO_API VfsFile* vfsOpenRead(const char* name);
// One library read of count objects of size bytes: the whole objects read, -1 on error.
TARVO_API int64_t vfsRead(VfsFile* file, void* buffer, uint32_t size, uint32_t count);
TARVO_API int64_t vfsWrite(VfsFile* file, const void* buffer, uint32_t size, uint32_t count);
// Byte position and length, -1 on error.
TARVO_API int64_t vfsTell(VfsFile* file);
TARVO_API int64_t vfsLength(VfsFile* file);
TARVO_API bool vfsSeek(VfsFile* file, uint64_t position);
TARVO_API bool vfsAtEnd(VfsFile* file);
// False, leaving the file open, when the library cannot close it.
TARVO_API bool vfsClose(VfsFile* file);

} // namespace tarvo
