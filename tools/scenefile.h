// polyraster's text scenes: a target, fills, raw textures and polygons, drawn line by line with
// the engine's software renderer as they are read.
//
//   target W H | fill 0xAARRGGBB | texture W H FILE | poly TYPE FLAGS ALPHA MASK, v X Y Z U V
//   COLOR lines, end        (# starts a comment; FILE is relative to the scene's directory)
#pragma once

#include "tarvo/render3d/polygon.h"
#include "tarvo/video/surface.h"

#include <istream>
#include <memory>
#include <string>
#include <vector>

namespace tarvo
{

// A malformed scene line; polyraster reports it as SCENE:LINE: message with status 1.
struct SceneError {
    int line;
    std::string message;
};

class Scene
{
public:
    // Larger targets or textures are refused before any allocation is sized from them.
    static const unsigned long kMaxSide = 16384;

    explicit Scene(std::string path, unsigned long maxSide = kMaxSide);
    // Reads and draws the file at path, or the given text as if it were that file. Both throw
    // SceneError, or Exception from the renderer.
    void run();
    void read(std::istream& in);
    bool writeRaw(const char* outPath) const;
    bool writePng(const char* pngPath) const;

private:
    void execute(int line, const std::vector<std::string>& words);
    void createTarget(int line, const std::vector<std::string>& words);
    void fill(int line, const std::vector<std::string>& words);
    void loadTexture(int line, const std::vector<std::string>& words);
    void beginPolygon(int line, const std::vector<std::string>& words);
    void addVertex(int line, const std::vector<std::string>& words);
    void endPolygon(int line);
    unsigned long number(int line, const std::string& word, unsigned long max) const;

    std::string path;
    unsigned long maxSide;
    Surface target;
    std::vector<float> depth;
    DepthBuffer depthBuffer;
    std::vector<std::unique_ptr<Surface>> textures;
    Surface* currentTexture = nullptr;

    // The polygon being read, between poly and end.
    bool inPolygon = false;
    int polygonLine = 0;
    unsigned long polygonSettings[4] = {}; // type, flags, alpha, mask
    std::vector<Vertex3d> polygonVertices;
};

} // namespace tarvo
