// Tiled's own rendering of the demo level, exported by leveldump --tmx with the game's images,
// against the engine's drawing of the same layers: the picture Tiled shows is the level.
// One background lies up and left of the map, so the map is not at the picture's corner.
#include "fs/searchpath.h"
#include "support/gamedir.h"
#include "tarvo/core/log.h"
#include "tarvo/tiles/level.h"
#include "tarvo/tiles/levelfile.h"
#include "tarvo/video/pngfile.h"
#include "tarvo/video/surface.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <string>

using namespace tarvo;

namespace
{

// Laid over black, as the engine draws onto a cleared screen: alpha 0 is black.
uint32_t overBlack(const uint8_t* rgba)
{
    uint32_t pixel = 0;
    for (int channel = 0; channel < 3; ++channel) {
        pixel = pixel << 8 | (rgba[channel] * rgba[3] + 127) / 255;
    }
    return pixel;
}

TEST(TiledRaster, TiledDrawsEachDemoLayerAsTheEngineDoes)
{
    Log log;
    gLog = &log;
    initFileSystem("tiledraster_test");
    addGameData(TARVO_BASE_DIR);
    TileMap level;
    ASSERT_TRUE(loadLevel("demo1/levels/blk301a", level));

    const TempDir temp;
    const std::string& dir = temp.path;
    const std::string demo = readFile(TARVO_LEVEL);
    MemoryLevelSource source(reinterpret_cast<const uint8_t*>(demo.data()), demo.size());
    LevelFile file;
    LevelError error;
    ASSERT_TRUE(readLevelFile(source, file, error, true)) << error.message;
    // The only negative offsets: Tiled's picture grows by them, and the map lands past them.
    const int originX = 37, originY = 29;
    file.backgrounds.at(1).x = -originX;
    file.backgrounds.at(1).y = -originY;
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(writeLevelFile(file, bytes, error)) << error.message;
    const std::string moved = temp.write("level", std::string(bytes.begin(), bytes.end()));
    const std::string map = dir + "/level.tmx";
    ASSERT_EQ(std::system((std::string(LEVELDUMP_PATH) + " --tmx " + moved + " " + map +
                           " --game " + TARVO_BASE_DIR + "/pak000.zip")
                              .c_str()),
              0);
    const char* const names[] = {"first", "second", "third"};
    for (int index = 0; index < 3; ++index) {
        SCOPED_TRACE(names[index]);
        const TileLayer& layer = *level.layers[index];
        Surface target;
        target.create(argbFormat(layer.cols * 24, layer.rows * 24));
        target.fillRect(nullptr, 0);
        TileLayerView view;
        view.tileSet = &level.tileSet;
        view.layer = &layer;
        view.draw(target);

        const std::string png = dir + "/" + names[index] + ".png";
        ASSERT_EQ(std::system(("QT_QPA_PLATFORM=offscreen tmxrasterizer --show-layer " +
                               std::string(names[index]) + " " + map + " " + png + " 2>/dev/null")
                                  .c_str()),
                  0);
        std::vector<uint8_t> rgba;
        int width = 0, height = 0;
        ASSERT_TRUE(readPng(png, rgba, width, height));
        ASSERT_GE(width, originX + layer.cols * 24);
        ASSERT_GE(height, originY + layer.rows * 24);
        const SDL_Surface* engine = target.getSdlSurface();
        int differing = 0;
        for (int y = 0; y < engine->h; ++y) {
            const auto* row = reinterpret_cast<const uint32_t*>(
                static_cast<const uint8_t*>(engine->pixels) + y * engine->pitch);
            for (int x = 0; x < engine->w; ++x) {
                const size_t at = static_cast<size_t>(originY + y) * width + originX + x;
                const uint32_t tiled = overBlack(&rgba[at * 4]);
                if ((row[x] & 0xFFFFFF) != tiled && differing++ == 0) {
                    ADD_FAILURE() << "first difference at (" << x << ", " << y << "): engine "
                                  << std::hex << row[x] << ", Tiled " << tiled;
                }
            }
        }
        EXPECT_EQ(differing, 0);
    }
    shutdownFileSystem();
}

} // namespace
