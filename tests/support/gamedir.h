// Temporary directories removed with everything in them: TempDir for files a test reads and
// writes itself, GameDir for game data on the search path; readFile reads any file back.
#pragma once

#include "tarvo/fs/vfs.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

namespace tarvo
{

// The whole file, or "" when it cannot be read.
inline std::string readFile(const std::string& path)
{
    std::stringstream all;
    all << std::ifstream(path, std::ios::binary).rdbuf();
    return all.str();
}

class TempDir
{
public:
    TempDir()
    {
        char name[] = "/tmp/tarvo-test-XXXXXX";
        if (!mkdtemp(name)) {
            throw std::runtime_error("cannot make a temporary directory");
        }
        path = name;
    }
    ~TempDir()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The real path of name below the directory, with its folders made.
    std::string file(const std::string& name) const
    {
        const std::filesystem::path full = std::filesystem::path(path) / name;
        std::filesystem::create_directories(full.parent_path());
        return full;
    }
    std::string write(const std::string& name, const std::string& bytes) const
    {
        std::ofstream(file(name), std::ios::binary) << bytes;
        return file(name);
    }

    std::string path;
};

// Appended to the search path for its lifetime; starts the file system when nothing else has,
// and then stops it again.
class GameDir : public TempDir
{
public:
    GameDir() : started(!vfsIsInit() && vfsInit(nullptr))
    {
        if (!vfsMount(path.c_str())) {
            throw std::runtime_error(vfsLastError());
        }
    }
    ~GameDir()
    {
        vfsUnmount(path.c_str());
        if (started) {
            vfsDeinit();
        }
    }

private:
    bool started;
};

} // namespace tarvo
