// The smallest client of an installed engine, built by the package tests with CMake and with
// pkg-config: it reads its defaults, turns a square with rotate-and-scale, saves it as PNG and
// GIF and finds the PNG again through the virtual file system, reaching every library the
// engine links. Prints the engine's version once all of it worked; exits 1 otherwise.
#include <cstdio>
#include <tarvo/tarvo.h>
#include <vector>

using namespace tarvo;

static bool turnSquare(std::vector<uint8_t>& rgb, int& width, int& height)
{
    Surface square;
    square.create(argbFormat(16, 16));
    SDL_Rect inner = {4, 4, 8, 8};
    square.fillRect(&inner, square.mapRgb({255, 160, 0, 0}));
    Surface turned;
    turned.rotoZoom(square, 30.0, 2.0, 0);
    turned.readRgb(rgb);
    width = turned.getWidth();
    height = turned.getHeight();
    return !rgb.empty();
}

static bool savedAlike(const std::vector<uint8_t>& rgb, int width, int height)
{
    std::vector<uint8_t> rgba;
    int readWidth = 0;
    int readHeight = 0;
    if (!writePng("turned.png", rgb.data(), width, height, 3) ||
        !readPng("turned.png", rgba, readWidth, readHeight) || readWidth != width ||
        readHeight != height) {
        return false;
    }
    for (size_t pixel = 0; pixel < rgb.size() / 3; ++pixel) {
        for (size_t channel = 0; channel < 3; ++channel) {
            if (rgba[pixel * 4 + channel] != rgb[pixel * 3 + channel]) {
                return false;
            }
        }
    }
    GifWriter gif;
    return gif.open("turned.gif", width, height) && gif.add(rgb.data(), 0) && gif.finish(1);
}

int main(int argc, char** argv)
{
    Log log;
    gLog = &log;
    Config config("game.cfg");
    config.parse();
    std::vector<uint8_t> rgb;
    int width = 0;
    int height = 0;
    bool ok = argc > 0 && SDL_Init(SDL_INIT_VIDEO) == 0 && vfsInit(argv[0]);
    prepareMidi();
    ok = ok && turnSquare(rgb, width, height) && savedAlike(rgb, width, height) && vfsMount(".") &&
         vfsExists("turned.png");
    if (ok) {
        std::printf("tarvo %d.%d.%d: saved turned.png and turned.gif\n", TARVO_VERSION_MAJOR,
                    TARVO_VERSION_MINOR, TARVO_VERSION_PATCH);
    }
    vfsDeinit();
    SDL_Quit();
    gLog = nullptr;
    return ok ? 0 : 1;
}
