// The save folder. A save is written to a temporary file beside its target, flushed, renamed
// over the target and the folder flushed in turn: at any instant the disk holds the old file or
// the new one, and a temporary left by a crash is swept by the next save.
#include "tarvo/engine/save.h"

#include "engine/savefolder.h"
#include "tarvo/core/exception.h"
#include "tarvo/core/log.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tarvo
{

void (*gBeforeSaveRename)() = nullptr;

namespace
{

// Temporaries are ".NAME.XXXXXX" plus this: distinct enough that a -savedir folder's own
// hidden files are never taken for one.
constexpr char kTemporarySuffix[] = ".tarvo-part";

struct Folder {
    bool open = false; // from start-up to shutdown
    std::string path;  // "" when there is none to use
    bool temporary = false;
};

Folder folder;

// A file descriptor closed with its owner; -1 when the open failed.
class Descriptor
{
public:
    explicit Descriptor(int fd) : fd(fd) {}
    ~Descriptor()
    {
        if (fd >= 0) {
            close(fd);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    explicit operator bool() const { return fd >= 0; }

    const int fd;
};

bool isSaveName(const std::string& name)
{
    const auto allowed = [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               c == '.' || c == '_' || c == '-';
    };
    return !name.empty() && name[0] != '.' && std::all_of(name.begin(), name.end(), allowed);
}

bool acceptName(const std::string& name)
{
    if (isSaveName(name)) {
        return true;
    }
    gLog->print("Warning: \"%s\" is not a valid save name", name.c_str());
    return false;
}

bool isAbsolute(const char* path)
{
    return path && path[0] == '/';
}

bool isTemporary(const std::string& name)
{
    const size_t suffix = sizeof kTemporarySuffix - 1;
    return name.size() > suffix + 1 && name[0] == '.' &&
           name.compare(name.size() - suffix, suffix, kTemporarySuffix) == 0;
}

int openFolder(const std::string& path)
{
    return open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

// A folder's new or renamed entries are on disk only once the folder itself is flushed. A file
// system that cannot flush a folder says EINVAL; it has nothing more to offer.
bool syncFolder(int fd)
{
    return fsync(fd) == 0 || errno == EINVAL;
}

// Makes every missing folder of path, 0700 as per-user data folders are, each flushed into its
// parent so that a crash cannot lose the folder of a file saved in it.
bool makeFolders(const std::filesystem::path& path)
{
    std::filesystem::path made;
    for (const std::filesystem::path& part : path) {
        const std::filesystem::path parent = made;
        made /= part;
        if (mkdir(made.c_str(), 0700) == 0) {
            const Descriptor above(openFolder(parent));
            if (!above || !syncFolder(above.fd)) {
                return false;
            }
        } else if (errno != EEXIST) {
            return false;
        }
    }
    return true;
}

// Removes the temporaries that a killed write left. Each writer holds a lock on its temporary
// until the rename, so another run's write in progress is left alone.
void sweepTemporaries(int folderFd)
{
    DIR* listing = fdopendir(dup(folderFd));
    if (!listing) {
        return;
    }
    while (const dirent* entry = readdir(listing)) {
        if (!isTemporary(entry->d_name)) {
            continue;
        }
        const Descriptor file(
            openat(folderFd, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        if (file && flock(file.fd, LOCK_EX | LOCK_NB) == 0) {
            unlinkat(folderFd, entry->d_name, 0);
        }
    }
    closedir(listing);
}

bool writeAll(int fd, const std::vector<uint8_t>& bytes)
{
    for (size_t done = 0; done < bytes.size();) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno != EINTR) {
            return false;
        }
        if (n == 0) {
            errno = ENOSPC;
            return false;
        }
        done += n > 0 ? static_cast<size_t>(n) : 0;
    }
    return true;
}

// Removes the temporary of a failed save, keeping errno to say why it failed.
bool dropTemporary(const std::string& path)
{
    const int error = errno;
    unlink(path.c_str());
    errno = error;
    return false;
}

// Replaces the file name by bytes; false with errno set when anything fails, the old file then
// untouched.
bool replaceFile(const std::string& name, const std::vector<uint8_t>& bytes)
{
    int folderFd = openFolder(folder.path);
    if (folderFd < 0 && errno == ENOENT && makeFolders(folder.path)) {
        folderFd = openFolder(folder.path);
    }
    const Descriptor dir(folderFd);
    if (!dir) {
        return false;
    }
    sweepTemporaries(dir.fd);
    std::string temporary = folder.path + "/." + name + ".XXXXXX" + kTemporarySuffix;
    const Descriptor file(mkostemps(temporary.data(), sizeof kTemporarySuffix - 1, O_CLOEXEC));
    if (!file) {
        return false;
    }
    // Held until the rename: unlocked, another run's sweep could take the file away.
    flock(file.fd, LOCK_EX);
    if (!writeAll(file.fd, bytes) || fsync(file.fd) != 0) {
        return dropTemporary(temporary);
    }
    if (gBeforeSaveRename) {
        gBeforeSaveRename();
    }
    if (std::rename(temporary.c_str(), (folder.path + "/" + name).c_str()) != 0) {
        return dropTemporary(temporary);
    }
    return syncFolder(dir.fd);
}

bool warnSave(const std::string& name, const char* reason)
{
    gLog->print("Warning: couldn't save %s (%s)", name.c_str(), reason);
    return false;
}

// The whole file; false with errno set when it cannot be opened or read.
bool readAll(const std::string& path, std::vector<uint8_t>& bytes)
{
    const Descriptor file(open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!file) {
        return false;
    }
    uint8_t chunk[65536];
    for (;;) {
        const ssize_t n = read(file.fd, chunk, sizeof chunk);
        if (n == 0) {
            return true;
        }
        if (n < 0 && errno != EINTR) {
            return false;
        }
        bytes.insert(bytes.end(), chunk, chunk + std::max<ssize_t>(n, 0));
    }
}

// $HOME when it is absolute, else the home folder of the user's password entry.
const char* homeFolder()
{
    const char* home = std::getenv("HOME");
    if (isAbsolute(home)) {
        return home;
    }
    const passwd* entry = getpwuid(getuid());
    return entry ? entry->pw_dir : nullptr;
}

std::string makeTemporaryFolder()
{
    std::error_code error;
    std::filesystem::path base = std::filesystem::temp_directory_path(error);
    if (error) {
        base = "/tmp";
    }
    std::string path = (base / "tarvo-save-XXXXXX").string();
    if (!mkdtemp(path.data())) {
        throw Exception::userError("cannot create a temporary save folder in " + base.string() +
                                   " (" + std::strerror(errno) + ")");
    }
    return path;
}

} // namespace

std::string playerSaveFolder(const char* dataHome, const char* home, const std::string& gameName)
{
    if (!isSaveName(gameName)) {
        return "";
    }
    if (isAbsolute(dataHome)) {
        return std::string(dataHome) + "/tarvo/" + gameName;
    }
    return isAbsolute(home) ? std::string(home) + "/.local/share/tarvo/" + gameName : "";
}

void openSaveFolder(const char* saveDir, const std::string& gameName, bool temporary)
{
    folder = Folder();
    if (saveDir) {
        // Absolute now, so saveFolder names it wherever the game goes; "" when the working
        // directory is gone.
        std::error_code error;
        const std::filesystem::path path =
            std::filesystem::absolute(saveDir, error).lexically_normal();
        folder.path = (path.has_filename() ? path : path.parent_path()).string();
    } else if (temporary) {
        folder.path = makeTemporaryFolder();
        folder.temporary = true;
    } else {
        folder.path = playerSaveFolder(std::getenv("XDG_DATA_HOME"), homeFolder(), gameName);
    }
    folder.open = true;
}

void closeSaveFolder()
{
    if (folder.temporary) {
        std::error_code ignored;
        std::filesystem::remove_all(folder.path, ignored);
    }
    folder = Folder();
}

bool saveFile(const std::string& name, const std::vector<uint8_t>& bytes)
{
    if (!folder.open || !acceptName(name)) {
        return false;
    }
    if (folder.path.empty()) {
        return warnSave(name, "no save folder");
    }
    return replaceFile(name, bytes) || warnSave(name, std::strerror(errno));
}

std::optional<std::vector<uint8_t>> loadFile(const std::string& name)
{
    if (!folder.open || !acceptName(name) || folder.path.empty()) {
        return std::nullopt;
    }
    std::vector<uint8_t> bytes;
    if (readAll(folder.path + "/" + name, bytes)) {
        return bytes;
    }
    // A file not saved yet is the normal first run, not a fault.
    if (errno != ENOENT) {
        gLog->print("Warning: couldn't load %s (%s)", name.c_str(), std::strerror(errno));
    }
    return std::nullopt;
}

std::string saveFolder()
{
    return folder.path;
}

} // namespace tarvo
