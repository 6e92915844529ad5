// The tools' files on disk: whole-file writes, and what a failed run made removed again.
#include "output.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace tarvo
{

bool writeFileAtomically(const std::string& path, const std::string& bytes)
{
    const std::string temporary = path + "." + std::to_string(getpid()) + ".part";
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (out && std::rename(temporary.c_str(), path.c_str()) == 0) {
        return true;
    }
    std::remove(temporary.c_str());
    return false;
}

RunOutput::~RunOutput()
{
    if (kept) {
        return;
    }
    // A folder that still holds something, put there by someone else, stays.
    std::error_code ignored;
    for (auto path = created.rbegin(); path != created.rend(); ++path) {
        std::filesystem::remove(*path, ignored);
    }
}

bool RunOutput::makeFolder(const std::string& path, std::string& message)
{
    namespace fs = std::filesystem;
    std::error_code error;
    // The folder itself is always tried, so that a file in its place gives mkdir's own reason.
    std::vector<fs::path> missing{path};
    for (fs::path parent = fs::path(path).parent_path();
         !parent.empty() && !fs::exists(parent, error); parent = parent.parent_path()) {
        missing.push_back(parent);
    }
    for (auto folder = missing.rbegin(); folder != missing.rend(); ++folder) {
        if (fs::create_directory(*folder, error)) {
            created.push_back(folder->string());
        } else if (error) {
            message = path + ": cannot create the folder (" + error.message() + ")";
            return false;
        }
    }
    return true;
}

void RunOutput::adding(const std::string& path)
{
    std::error_code error;
    if (!std::filesystem::exists(path, error)) {
        created.push_back(path);
    }
}

} // namespace tarvo
