// polyraster: draws a text scene of polygons with the engine's software renderer and writes the
// raw pixels and depth values (and optionally a PNG), for inspecting the renderer offline.
//
//   polyraster [--png FILE] SCENE OUT
#include "scenefile.h"
#include "tarvo/core/exception.h"
#include "tarvo/core/log.h"

#include <cstdio>
#include <cstring>

using namespace tarvo;

int main(int argc, char** argv)
{
    Log log;
    gLog = &log;

    const char* pngPath = nullptr;
    int first = 1;
    if (argc > 1 && std::strcmp(argv[1], "--png") == 0) {
        pngPath = argc > 2 ? argv[2] : nullptr;
        first = 3;
    }
    if (argc - first != 2 || (first == 3 && !pngPath)) {
        std::fputs("usage: polyraster [--png FILE] SCENE OUT\n", stderr);
        return 1;
    }
    const char* scenePath = argv[first];
    const char* outPath = argv[first + 1];

    Scene scene(scenePath);
    try {
        scene.run();
    } catch (const SceneError& error) {
        std::fprintf(stderr, "%s:%d: %s\n", scenePath, error.line, error.message.c_str());
        return 1;
    } catch (const Exception& error) {
        error.report();
        return 2;
    }
    if (!scene.writeRaw(outPath)) {
        std::fprintf(stderr, "polyraster: cannot write '%s'\n", outPath);
        return 1;
    }
    if (pngPath && !scene.writePng(pngPath)) {
        std::fprintf(stderr, "polyraster: cannot write '%s'\n", pngPath);
        return 1;
    }
    return 0;
}
