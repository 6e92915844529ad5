// Reading and drawing polyraster's text scenes.
#include "scenefile.h"

#include "tarvo/video/pngfile.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <utility>

namespace tarvo
{

namespace
{

bool parseUnsigned(const std::string& word, unsigned long& value)
{
    if (word.empty() || word[0] == '-' || word[0] == '+') {
        return false;
    }
    char* end = nullptr;
    errno = 0;
    value = std::strtoul(word.c_str(), &end, 0);
    return errno == 0 && *end == '\0';
}

bool parseFloat(const std::string& word, float& value)
{
    char* end = nullptr;
    value = std::strtof(word.c_str(), &end);
    return !word.empty() && *end == '\0';
}

std::vector<std::string> splitWords(const std::string& line)
{
    std::istringstream in(line.substr(0, line.find('#')));
    std::vector<std::string> words;
    std::string word;
    while (in >> word) {
        words.push_back(word);
    }
    return words;
}

bool putLittleEndian(std::ofstream& out, uint32_t value)
{
    const char bytes[4] = {static_cast<char>(value), static_cast<char>(value >> 8),
                           static_cast<char>(value >> 16), static_cast<char>(value >> 24)};
    return static_cast<bool>(out.write(bytes, 4));
}

} // namespace

Scene::Scene(std::string path, unsigned long maxSide) : path(std::move(path)), maxSide(maxSide) {}

unsigned long Scene::number(int line, const std::string& word, unsigned long max) const
{
    unsigned long value = 0;
    if (!parseUnsigned(word, value)) {
        throw SceneError{line, "bad number '" + word + "'"};
    }
    if (value > max) {
        throw SceneError{line, "number out of range '" + word + "'"};
    }
    return value;
}

void Scene::run()
{
    std::ifstream in(path);
    if (!in) {
        throw SceneError{0, "cannot open scene"};
    }
    read(in);
}

void Scene::read(std::istream& in)
{
    std::string text;
    int line = 0;
    while (std::getline(in, text)) {
        ++line;
        const std::vector<std::string> words = splitWords(text);
        if (!words.empty()) {
            execute(line, words);
        }
    }
    if (inPolygon) {
        throw SceneError{polygonLine, "'poly' without 'end'"};
    }
    if (!target.getSdlSurface()) {
        throw SceneError{line, "no 'target' in scene"};
    }
}

void Scene::execute(int line, const std::vector<std::string>& words)
{
    const std::string& command = words[0];
    if (inPolygon) {
        if (command == "v") {
            addVertex(line, words);
        } else if (command == "end" && words.size() == 1) {
            endPolygon(line);
        } else {
            throw SceneError{line, "expected 'v X Y Z U V COLOR' or 'end'"};
        }
        return;
    }
    if (command == "target") {
        createTarget(line, words);
        return;
    }
    if (!target.getSdlSurface()) {
        throw SceneError{line, "'target' must come first"};
    }
    if (command == "fill") {
        fill(line, words);
    } else if (command == "texture") {
        loadTexture(line, words);
    } else if (command == "poly") {
        beginPolygon(line, words);
    } else {
        throw SceneError{line, "unknown command '" + command + "'"};
    }
}

void Scene::createTarget(int line, const std::vector<std::string>& words)
{
    if (target.getSdlSurface()) {
        throw SceneError{line, "'target' given twice"};
    }
    if (words.size() != 3) {
        throw SceneError{line, "expected 'target W H'"};
    }
    const unsigned long width = number(line, words[1], maxSide);
    const unsigned long height = number(line, words[2], maxSide);
    if (width == 0 || height == 0) {
        throw SceneError{line, "target size must not be 0"};
    }
    target.create(argbFormat(width, height));
    if (!target.getSdlSurface()) {
        throw SceneError{line, "cannot create target"};
    }
    target.fillRect(nullptr, 0);
    depth.assign(width * height, 0.0f);
    depthBuffer.data = depth.data();
    depthBuffer.width = static_cast<int32_t>(width);
    depthBuffer.height = static_cast<int32_t>(height);
}

void Scene::fill(int line, const std::vector<std::string>& words)
{
    if (words.size() != 2) {
        throw SceneError{line, "expected 'fill 0xAARRGGBB'"};
    }
    const uint32_t value = static_cast<uint32_t>(number(line, words[1], 0xFFFFFFFFul));
    // SDL_FillRect would drop the bits outside the surface's masks; the scene asks for all 32.
    SDL_Surface* surface = target.getSdlSurface();
    if (!target.lock()) {
        throw SceneError{line, "cannot lock target"};
    }
    for (int y = 0; y < surface->h; ++y) {
        uint32_t* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(surface->pixels) +
                                                    y * surface->pitch);
        for (int x = 0; x < surface->w; ++x) {
            row[x] = value;
        }
    }
    target.unlock();
}

void Scene::loadTexture(int line, const std::vector<std::string>& words)
{
    if (words.size() != 4) {
        throw SceneError{line, "expected 'texture W H FILE'"};
    }
    const unsigned long width = number(line, words[1], maxSide);
    const unsigned long height = number(line, words[2], maxSide);
    if (width == 0 || height == 0) {
        throw SceneError{line, "texture size must not be 0"};
    }
    const size_t slash = path.rfind('/');
    const std::string file = (words[3][0] == '/' || slash == std::string::npos)
                                 ? words[3]
                                 : path.substr(0, slash + 1) + words[3];
    std::ifstream in(file, std::ios::binary);
    std::vector<uint8_t> bytes(width * height * 4);
    if (!in.read(reinterpret_cast<char*>(bytes.data()),
                 static_cast<std::streamsize>(bytes.size()))) {
        throw SceneError{line, "cannot read " + std::to_string(bytes.size()) + " bytes from '" +
                                   file + "'"};
    }

    const SurfaceFormat format =
        argbFormat(static_cast<int>(width), static_cast<int>(height), 0xFF000000);
    auto texture = std::make_unique<Surface>();
    texture->create(format);
    if (!texture->getSdlSurface() || !texture->lock()) {
        throw SceneError{line, "cannot create texture"};
    }
    SDL_Surface* surface = texture->getSdlSurface();
    for (unsigned long y = 0; y < height; ++y) {
        uint32_t* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(surface->pixels) +
                                                    y * surface->pitch);
        for (unsigned long x = 0; x < width; ++x) {
            const uint8_t* b = &bytes[(y * width + x) * 4];
            row[x] = b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<uint32_t>(b[3]) << 24);
        }
    }
    texture->unlock();
    currentTexture = texture.get();
    textures.push_back(std::move(texture));
}

void Scene::beginPolygon(int line, const std::vector<std::string>& words)
{
    if (words.size() != 5) {
        throw SceneError{line, "expected 'poly TYPE FLAGS ALPHA MASK'"};
    }
    polygonSettings[0] = number(line, words[1], 0xFFFFFFFFul);
    polygonSettings[1] = number(line, words[2], 0xFFFFFFFFul);
    polygonSettings[2] = number(line, words[3], 255);
    polygonSettings[3] = number(line, words[4], 1);
    polygonVertices.clear();
    polygonLine = line;
    inPolygon = true;
}

void Scene::addVertex(int line, const std::vector<std::string>& words)
{
    if (words.size() != 7) {
        throw SceneError{line, "expected 'v X Y Z U V COLOR'"};
    }
    Vertex3d vertex;
    float* fields[5] = {&vertex.x, &vertex.y, &vertex.z, &vertex.u, &vertex.v};
    for (int i = 0; i < 5; ++i) {
        if (!parseFloat(words[i + 1], *fields[i])) {
            throw SceneError{line, "bad number '" + words[i + 1] + "'"};
        }
    }
    vertex.color = static_cast<uint32_t>(number(line, words[6], 0xFFFFFFFFul));
    polygonVertices.push_back(vertex);
}

void Scene::endPolygon(int line)
{
    inPolygon = false;
    if (polygonVertices.empty()) {
        throw SceneError{line, "polygon without vertices"};
    }
    std::vector<Vertex3d*> corners;
    for (Vertex3d& vertex : polygonVertices) {
        corners.push_back(&vertex);
    }
    Polygon3d polygon;
    polygon.depthBuffer = &depthBuffer;
    polygon.setTexture(currentTexture);
    polygon.type = static_cast<uint32_t>(polygonSettings[0]);
    polygon.interpFlags = static_cast<uint32_t>(polygonSettings[1]);
    polygon.alpha = static_cast<uint8_t>(polygonSettings[2]);
    polygon.maskZeroTexels = polygonSettings[3] != 0;
    polygon.vertices = corners.data();
    polygon.vertexCount = static_cast<uint32_t>(corners.size());
    polygon.draw(target);
}

bool Scene::writeRaw(const char* outPath) const
{
    std::ofstream out(outPath, std::ios::binary);
    SDL_Surface* surface = target.getSdlSurface();
    for (int y = 0; y < surface->h && out; ++y) {
        const uint32_t* row = reinterpret_cast<const uint32_t*>(
            static_cast<const uint8_t*>(surface->pixels) + y * surface->pitch);
        for (int x = 0; x < surface->w; ++x) {
            putLittleEndian(out, row[x]);
        }
    }
    for (const float value : depth) {
        uint32_t bits = 0;
        std::memcpy(&bits, &value, sizeof bits);
        putLittleEndian(out, bits);
    }
    out.close();
    return static_cast<bool>(out);
}

// The target's 0x00RRGGBB pixels as packed RGB rows.
bool Scene::writePng(const char* pngPath) const
{
    SDL_Surface* surface = target.getSdlSurface();
    std::vector<uint8_t> rgb;
    rgb.reserve(static_cast<size_t>(surface->w) * surface->h * 3);
    for (int y = 0; y < surface->h; ++y) {
        const uint32_t* row = reinterpret_cast<const uint32_t*>(
            static_cast<const uint8_t*>(surface->pixels) + y * surface->pitch);
        for (int x = 0; x < surface->w; ++x) {
            rgb.push_back(static_cast<uint8_t>(row[x] >> 16));
            rgb.push_back(static_cast<uint8_t>(row[x] >> 8));
            rgb.push_back(static_cast<uint8_t>(row[x]));
        }
    }
    return tarvo::writePng(pngPath, rgb.data(), surface->w, surface->h, 3);
}

} // namespace tarvo
