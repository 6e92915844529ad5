// The tools' files on disk: whole-file writes, and the folders and files of one run, removed
// again when the run fails so that it leaves nothing of its own behind.
#pragma once

#include <string>
#include <vector>

namespace tarvo
{

// Writes beside path and renames over it, so a failure leaves nothing.
bool writeFileAtomically(const std::string& path, const std::string& bytes);

// What one run adds to the disk. Unless kept, all of it is removed again when this goes.
class RunOutput
{
public:
    RunOutput() = default;
    RunOutput(const RunOutput&) = delete;
    RunOutput& operator=(const RunOutput&) = delete;
    ~RunOutput();

    // Makes the folder and any missing parents. False with message
    // "PATH: cannot create the folder (REASON)" when it cannot.
    bool makeFolder(const std::string& path, std::string& message);
    // Notes a file about to be written; one already there is not this run's to remove.
    void adding(const std::string& path);
    void keep() { kept = true; }

private:
    std::vector<std::string> created; // in the order made, so removed in reverse
    bool kept = false;
};

} // namespace tarvo
