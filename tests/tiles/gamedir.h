// A temporary game directory on the PhysicsFS search path, for tests that load levels and
// images by virtual name. Images are written as BMP; the image loader goes by content, not name.
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

class GameDir
{
public:
    GameDir()
    {
        if (!PHYSFS_isInit()) {
            PHYSFS_init(nullptr);
        }
        char name[] = "/tmp/tarvo-tiles-XXXXXX";
        root = mkdtemp(name);
        PHYSFS_addToSearchPath(root.c_str(), 1);
    }
    ~GameDir()
    {
        PHYSFS_removeFromSearchPath(root.c_str());
        std::filesystem::remove_all(root);
    }
    GameDir(const GameDir&) = delete;
    GameDir& operator=(const GameDir&) = delete;

    void writeFile(const std::string& name, const std::vector<uint8_t>& bytes) const
    {
        const std::filesystem::path path = std::filesystem::path(root) / name;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
    }

    // A width x height image of one colour, with an optional differently coloured pixel at
    // (0, 0) so that tests can tell a key colour from the rest.
    void writeImage(const std::string& name, int width, int height, uint32_t rgb,
                    int64_t cornerRgb = -1) const
    {
        const std::filesystem::path path = std::filesystem::path(root) / name;
        std::filesystem::create_directories(path.parent_path());
        SDL_Surface* image = SDL_CreateRGBSurface(0, width, height, 32, 0xFF0000, 0xFF00, 0xFF, 0);
        SDL_FillRect(image, nullptr, rgb);
        if (cornerRgb >= 0) {
            SDL_Rect corner = {0, 0, 1, 1};
            SDL_FillRect(image, &corner, static_cast<uint32_t>(cornerRgb));
        }
        SDL_SaveBMP(image, path.c_str());
        SDL_FreeSurface(image);
    }

    std::string root;
};

#pragma GCC diagnostic pop
