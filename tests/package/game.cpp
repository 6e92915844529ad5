// The smallest client of an installed engine, for the package tests: it reads its defaults,
// turns a square with rotate-and-scale, saves it as PNG and GIF, reads the PNG back and finds
// it through the virtual file system, so that it links every library the engine needs.
#include <cstdio>
#include <tarvo/tarvo.h>
#include <vector>

using namespace tarvo;

int main(int argc, char** argv)
{
    Log log;
    gLog = &log;
    Config config("game.cfg");
    config.parse();
    prepareMidi();
    bool ok = argc > 0 && SDL_Init(SDL_INIT_VIDEO) == 0 && vfsInit(argv[0]);
    Surface square;
    square.create(argbFormat(16, 16));
    SDL_Rect inner = {4, 4, 8, 8};
    square.fillRect(&inner, square.mapRgb({255, 160, 0, 0}));
    Surface turned;
    turned.rotoZoom(square, 30.0, 2.0, 0);
    std::vector<uint8_t> rgb;
    std::vector<uint8_t> rgba;
    turned.readRgb(rgb);
    const int width = turned.getWidth();
    const int height = turned.getHeight();
    int readWidth = 0;
    int readHeight = 0;
    GifWriter gif;
    ok = ok && width > 16 && writePng("turned.png", rgb.data(), width, height, 3) &&
         readPng("turned.png", rgba, readWidth, readHeight) && readWidth == width &&
         gif.open("turned.gif", width, height) && gif.add(rgb.data(), 0) && gif.finish(1) &&
         vfsMount(".") && vfsExists("turned.png");
    if (ok) {
        std::printf("tarvo %d.%d.%d: saved turned.png\n", TARVO_VERSION_MAJOR, TARVO_VERSION_MINOR,
                    TARVO_VERSION_PATCH);
    }
    vfsDeinit();
    SDL_Quit();
    gLog = nullptr;
    return ok ? 0 : 1;
}
