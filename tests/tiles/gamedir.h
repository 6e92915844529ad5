// A temporary game directory on the PhysicsFS search path; images are written as BMP (the
// loader goes by content, not name).
#pragma once

#include <SDL.h>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <physfs.h>
#include <string>
#include <vector>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

struct GameDir {
    GameDir()
    {
        PHYSFS_isInit() || PHYSFS_init(nullptr);
        char name[] = "/tmp/tarvo-tiles-XXXXXX";
        PHYSFS_addToSearchPath((root = mkdtemp(name)).c_str(), 1);
    }
    ~GameDir()
    {
        PHYSFS_removeFromSearchPath(root.c_str());
        std::filesystem::remove_all(root);
    }
    // The real path of name, with its folders made.
    std::string path(const std::string& name) const
    {
        std::filesystem::create_directories(std::filesystem::path(root + "/" + name).parent_path());
        return root + "/" + name;
    }
    void writeFile(const std::string& name, const std::vector<uint8_t>& bytes) const
    {
        std::ofstream(path(name))
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
    }
    // One colour, with pixel (0, 0) in corner when corner >= 0.
    void writeImage(const std::string& name, int w, int h, uint32_t rgb, int64_t corner = -1) const
    {
        SDL_Surface* image = SDL_CreateRGBSurface(0, w, h, 32, 0xFF0000, 0xFF00, 0xFF, 0);
        SDL_FillRect(image, nullptr, rgb);
        SDL_Rect first = {0, 0, 1, 1};
        SDL_FillRect(image, &first, corner >= 0 ? static_cast<uint32_t>(corner) : rgb);
        SDL_SaveBMP(image, path(name).c_str());
        SDL_FreeSurface(image);
    }

    std::string root;
};

#pragma GCC diagnostic pop
