// The engine's one door to PhysicsFS: the library's start and end, the search path and its
// files. Nothing else includes the library, so its deprecated 1.x calls are allowed here only.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct PHYSFS_File;

namespace tarvo
{

// An open file of the search path; callers only pass it back.
using VfsFile = PHYSFS_File;

// Starts the library; argv0 may be null where the program's own directory is not wanted.
bool vfsInit(const char* argv0);
bool vfsIsInit();
// Stops the library; null on success, else why it could not (also when it never started).
const char* vfsDeinit();
// The library's last error text, never null; reading it clears it.
const char* vfsLastError();

// Appends a directory or archive to the search path.
bool vfsMount(const char* path);
// Takes it off again; false while one of its files is open.
bool vfsUnmount(const char* path);
// The entries of a directory of the search path ("" is the root), files and directories alike.
std::vector<std::string> vfsList(const char* dir);
// Whether name is visible anywhere on the search path.
bool vfsExists(const char* name);
const char* vfsBaseDir();
const char* vfsDirSeparator();

// Opens a virtual name for reading; null when it cannot.
VfsFile* vfsOpenRead(const char* name);
// One library read of count objects of size bytes: the whole objects read, -1 on error.
int64_t vfsRead(VfsFile* file, void* buffer, uint32_t size, uint32_t count);
int64_t vfsWrite(VfsFile* file, const void* buffer, uint32_t size, uint32_t count);
// Byte position and length, -1 on error.
int64_t vfsTell(VfsFile* file);
int64_t vfsLength(VfsFile* file);
bool vfsSeek(VfsFile* file, uint64_t position);
bool vfsAtEnd(VfsFile* file);
// False, leaving the file open, when the library cannot close it.
bool vfsClose(VfsFile* file);

} // namespace tarvo
