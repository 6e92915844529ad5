// Frame checksums and shots: zlib's crc32 over the R, G, B bytes of the 320 x 240 screen.
#include "engine/frameoutput.h"

#include "tarvo/video/pngfile.h"
#include "tarvo/video/surface.h"

#include <algorithm>
#include <cerrno>
#include <cinttypes>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

namespace tarvo
{

namespace
{

// mkdir -p, noting each folder it creates; on failure returns the errno of the step that
// failed, else 0.
int makeDirectories(const std::string& path, std::vector<std::string>& created)
{
    for (size_t end = path.find('/', 1);; end = path.find('/', end + 1)) {
        const std::string part = path.substr(0, end);
        if (::mkdir(part.c_str(), 0777) == 0) {
            created.push_back(part);
        } else if (errno != EEXIST) {
            return errno;
        }
        if (end == std::string::npos) {
            // mkdir's own answer for a file in the way.
            struct stat info;
            if (::stat(part.c_str(), &info) == 0 && !S_ISDIR(info.st_mode)) {
                return EEXIST;
            }
            return ::access(part.c_str(), W_OK | X_OK) == 0 ? 0 : errno;
        }
    }
}

} // namespace

FrameOutput::~FrameOutput()
{
    if (list) {
        std::fclose(list);
    }
}

bool FrameOutput::open(const std::string& directory, const std::vector<uint32_t>& shotTicks,
                       std::string& error)
{
    dir = directory;
    shots = shotTicks;
    if (const int reason = makeDirectories(dir, createdFolders)) {
        error = "cannot create " + dir + " (" + std::strerror(reason) + ")";
        removeOutput();
        return false;
    }
    const std::string name = dir + "/frames.txt";
    list = std::fopen(name.c_str(), "w");
    if (!list) {
        return fail(name, errno, error);
    }
    writtenFiles.push_back(name);
    return true;
}

bool FrameOutput::write(uint32_t tick, const Surface& screen, std::string& error)
{
    if (!list) {
        return true;
    }
    screen.readRgb(rgb);
    const uLong crc = crc32(0L, rgb.data(), static_cast<uInt>(rgb.size()));
    // Flushed line by line: a full disk is found at the frame it stops, not at exit.
    if (std::fprintf(list, "%" PRIu32 " %08lx\n", tick, static_cast<unsigned long>(crc)) < 0 ||
        std::fflush(list) != 0) {
        return fail(dir + "/frames.txt", errno, error);
    }
    if (std::binary_search(shots.begin(), shots.end(), tick)) {
        const std::string name = dir + "/" + std::to_string(tick) + ".png";
        if (!writePng(name, rgb.data(), screen.getWidth(), screen.getHeight(), 3)) {
            return fail(name, errno, error);
        }
        writtenFiles.push_back(name);
    }
    return true;
}

bool FrameOutput::fail(const std::string& file, int reason, std::string& error)
{
    error = "cannot write " + file + " (" + std::strerror(reason) + ")";
    removeOutput();
    return false;
}

void FrameOutput::removeOutput()
{
    if (list) {
        std::fclose(list);
        list = nullptr;
    }
    for (const std::string& file : writtenFiles) {
        std::remove(file.c_str());
    }
    // Innermost first; a folder something else has written into stays.
    for (auto folder = createdFolders.rbegin(); folder != createdFolders.rend(); ++folder) {
        ::rmdir(folder->c_str());
    }
    writtenFiles.clear();
    createdFolders.clear();
}

} // namespace tarvo
