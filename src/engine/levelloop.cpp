// The level designer's loop: -level FILE loads a map or level file from disk before the game
// loads, and F5 loads it again into the same TileMap, so every pointer a game holds to gLevel
// stays good and only what the file says changes.
#include "engine/levelloop.h"

#include "tarvo/core/commandline.h"
#include "tarvo/core/exception.h"
#include "tarvo/core/log.h"
#include "tarvo/engine/levelloop.h"
#include "tarvo/tiles/level.h"

namespace tarvo
{

namespace
{

std::string gLevelPath;

} // namespace

const std::string& levelPath()
{
    return gLevelPath;
}

void loadLevelOption(const CommandLine& commandLine)
{
    const unsigned index = commandLine.findOption("-level");
    if (!index) {
        return;
    }
    const char* path = commandLine.optionValue(index);
    if (!path) {
        throw Exception::userError("-level needs a value");
    }
    auto level = std::make_unique<TileMap>();
    std::string message;
    if (!loadLevelFromFile(path, *level, message)) {
        throw Exception::userError("-level: " + message);
    }
    delete gLevel;
    gLevel = level.release();
    gLevelPath = path;
    bindLayerViews();
}

bool reloadLevel()
{
    if (gLevelPath.empty() || !gLevel) {
        return false;
    }
    std::string message;
    if (!loadLevelFromFile(gLevelPath, *gLevel, message)) {
        gLog->print("Warning: %s", message.c_str());
        return false;
    }
    // The layers are new objects; the views follow them.
    bindLayerViews();
    return true;
}

void closeLevel()
{
    gLayerViews = LayerViews();
    delete gLevel;
    gLevel = nullptr;
    gLevelPath.clear();
}

} // namespace tarvo
