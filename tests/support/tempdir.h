// A temporary directory for one test, removed with everything in it afterwards.
#pragma once

#include <cstdlib>
#include <fstream>
#include <string>

class TempDir
{
public:
    TempDir()
    {
        char name[] = "/tmp/tarvo-test-XXXXXX";
        path = mkdtemp(name) ? name : "";
    }
    ~TempDir() { std::system(("rm -rf '" + path + "'").c_str()); }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // Writes content to a file below the directory, creating its folders.
    std::string write(const std::string& relative, const std::string& content) const
    {
        const std::string full = path + "/" + relative;
        const std::string::size_type slash = full.rfind('/');
        std::system(("mkdir -p '" + full.substr(0, slash) + "'").c_str());
        std::ofstream out(full, std::ios::binary);
        out << content;
        return full;
    }

    std::string path;
};
