// libFuzzer target for the archive stream: any byte string is mounted as a zip file, and every
// file in it is read through the SDL stream whole, then again after seeks
// from each end, which must give the same bytes; bad seeks fail and every close succeeds.
#include "tarvo/fs/archive.h"

#include "scratch.h"
#include "tarvo/fs/vfs.h"

#include <SDL.h>
#include <algorithm>
#include <climits>
#include <string>
#include <vector>

using namespace tarvo;

namespace
{

// A file rather than PHYSFS_mountMemory: Debian's PhysicsFS 3.0.2 loses 128 bytes on every
// memory mount, which would end each run as a leak.
std::string gZipPath;
// Enough to pass a few inflate windows; a zip bomb's declared size is not read out.
const int kMaxRead = 256 * 1024;

void check(bool condition)
{
    if (!condition) {
        __builtin_trap();
    }
}

// Reads count bytes at most from the stream's position in uneven pieces; stops at the end or a
// failed read.
std::vector<uint8_t> readUpTo(SDL_RWops* stream, int count)
{
    std::vector<uint8_t> bytes;
    int piece = 1;
    while (static_cast<int>(bytes.size()) < count) {
        const int want = std::min(piece, count - static_cast<int>(bytes.size()));
        const size_t at = bytes.size();
        bytes.resize(at + want);
        const int got = SDL_RWread(stream, bytes.data() + at, 1, want);
        check(got >= -1 && got <= want);
        bytes.resize(at + std::max(got, 0));
        if (got < want) {
            break;
        }
        piece = piece * 7 % 9973 + 1;
    }
    return bytes;
}

void checkFile(const std::string& name)
{
    SDL_RWops* stream = openArchiveStream(name.c_str());
    if (!stream) {
        return; // a directory, or an entry the library will not open
    }
    const int length = SDL_RWseek(stream, 0, RW_SEEK_END);
    if (length >= 0) {
        check(SDL_RWseek(stream, 0, RW_SEEK_CUR) == length);
        check(SDL_RWseek(stream, 0, RW_SEEK_SET) == 0);
        const std::vector<uint8_t> all = readUpTo(stream, std::min(length, kMaxRead));
        const int positions[] = {0, static_cast<int>(all.size()) / 2,
                                 static_cast<int>(all.size()) - 1};
        for (const int position : positions) {
            if (position < 0 || SDL_RWseek(stream, position, RW_SEEK_SET) != position) {
                continue;
            }
            const std::vector<uint8_t> part = readUpTo(stream, 64);
            check(std::equal(part.begin(), part.end(), all.begin() + position));
            const int back = -static_cast<int>(part.size());
            if (SDL_RWseek(stream, back, RW_SEEK_CUR) == position) {
                check(readUpTo(stream, 64) == part);
            }
        }
        const int fromEnd = length - static_cast<int>(all.size()) + 1;
        if (!all.empty() && SDL_RWseek(stream, -fromEnd, RW_SEEK_END) == length - fromEnd) {
            const std::vector<uint8_t> last = readUpTo(stream, 1);
            check(last.empty() || last[0] == all.back());
        }
    }
    check(SDL_RWseek(stream, -1, RW_SEEK_SET) == -1);
    if (SDL_RWseek(stream, 1, RW_SEEK_SET) == 1) {
        check(SDL_RWseek(stream, INT_MAX, RW_SEEK_CUR) == -1);
    }
    check(SDL_RWseek(stream, 0, 99) == -1);
    uint8_t scratch[16];
    check(SDL_RWread(stream, scratch, 1, -1) == -1);
    check(SDL_RWclose(stream) == 0);
}

// Every entry below dir, directories included (they simply do not open as streams).
void collect(const std::string& dir, int depth, std::vector<std::string>& names)
{
    for (const std::string& entry : vfsList(dir.c_str())) {
        if (names.size() >= 32) {
            return;
        }
        const std::string name = dir.empty() ? entry : dir + "/" + entry;
        names.push_back(name);
        if (depth < 3) {
            collect(name, depth + 1, names);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    openQuietLog();
    vfsInit(nullptr);
    gZipPath = makeScratchDir("tarvo-archivefuzz") + "/fuzz.zip";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    writeInput(gZipPath, data, size);
    if (!vfsMount(gZipPath.c_str())) {
        return 0;
    }
    std::vector<std::string> names;
    collect("", 0, names);
    for (const std::string& name : names) {
        checkFile(name);
    }
    check(vfsUnmount(gZipPath.c_str()));
    return 0;
}
