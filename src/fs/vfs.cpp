// Thin calls into PhysicsFS, in the 1.x interface the engine was written against.
#include "tarvo/fs/vfs.h"

#include <physfs.h>

// The 1.x-style calls are deprecated in PhysicsFS 3 but remain the interface this engine uses.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

namespace tarvo
{

bool vfsInit(const char* argv0)
{
    return PHYSFS_init(argv0) != 0;
}

bool vfsIsInit()
{
    return PHYSFS_isInit() != 0;
}

const char* vfsDeinit()
{
    // This PhysicsFS crashes when asked to deinit without a successful init, so that case is
    // answered here with the library's own "not initialized" text.
    if (!PHYSFS_isInit()) {
        return PHYSFS_getErrorByCode(PHYSFS_ERR_NOT_INITIALIZED);
    }
    return PHYSFS_deinit() != 0 ? nullptr : vfsLastError();
}

const char* vfsLastError()
{
    const char* text = PHYSFS_getLastError();
    return text ? text : "unknown error";
}

bool vfsMount(const char* path)
{
    return PHYSFS_addToSearchPath(path, 1) != 0;
}

bool vfsUnmount(const char* path)
{
    return PHYSFS_removeFromSearchPath(path) != 0;
}

std::vector<std::string> vfsList(const char* dir)
{
    std::vector<std::string> names;
    char** list = PHYSFS_enumerateFiles(dir);
    for (char** name = list; name && *name; ++name) {
        names.push_back(*name);
    }
    PHYSFS_freeList(list);
    return names;
}

bool vfsExists(const char* name)
{
    return PHYSFS_exists(name) != 0;
}

const char* vfsBaseDir()
{
    return PHYSFS_getBaseDir();
}

const char* vfsDirSeparator()
{
    return PHYSFS_getDirSeparator();
}

VfsFile* vfsOpenRead(const char* name)
{
    return PHYSFS_openRead(name);
}

int64_t vfsRead(VfsFile* file, void* buffer, uint32_t size, uint32_t count)
{
    return PHYSFS_read(file, buffer, size, count);
}

int64_t vfsWrite(VfsFile* file, const void* buffer, uint32_t size, uint32_t count)
{
    return PHYSFS_write(file, buffer, size, count);
}

int64_t vfsTell(VfsFile* file)
{
    return PHYSFS_tell(file);
}

int64_t vfsLength(VfsFile* file)
{
    return PHYSFS_fileLength(file);
}

bool vfsSeek(VfsFile* file, uint64_t position)
{
    return PHYSFS_seek(file, position) != 0;
}

bool vfsAtEnd(VfsFile* file)
{
    return PHYSFS_eof(file) != 0;
}

bool vfsClose(VfsFile* file)
{
    return PHYSFS_close(file) != 0;
}

#pragma GCC diagnostic pop

} // namespace tarvo
