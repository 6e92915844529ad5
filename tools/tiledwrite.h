// Writing for the level tools: a level as a Tiled map with its tileset, and the tiles levelc
// cut from a single-image tileset.
#pragma once

#include "tarvo/tiles/levelfile.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tarvo
{

class RunOutput;

// Writes cut tiles as folder/TILE%04d.PNG, making the folder. False with message set when the
// folder or a tile cannot be made; what was made is output's to remove.
bool writeCutTiles(const std::vector<std::vector<uint8_t>>& tiles, const std::string& folder,
                   RunOutput& output, std::string& message);

// Writes the level as a map at path with its tileset at tilesetPath, each in the form its
// extension names, referring to the images as tiles/TILE%04d.PNG and bg/BG%04d.PNG; the
// extension block becomes the tileset's tile properties and animations, an object layer and
// the map's collisionlayer property. False with message set when a file cannot be written.
bool writeTiledMap(const LevelFile& level, const std::string& path, const std::string& tilesetPath,
                   std::string& message);

} // namespace tarvo
