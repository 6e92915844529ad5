// The checks a map must pass before the game plays it: the build runs them on the committed map
// with `climb --check-map MAP`, and `-level` runs them at start-up.
#pragma once

#include <optional>
#include <string>

namespace tarvo
{
struct TileMap;
}

namespace climb
{

/// The first fault of map, named as the player reads it: "PLACE: object ID: MESSAGE" with the
/// object's place in the map file (mapName when it has none), or "MAP: no player start"; ""
/// for a good map.
std::string checkMap(const tarvo::TileMap& map, const std::string& mapName);

/// Handles `--check-map MAP` as the first option: loads MAP, checks it and returns the
/// program's status (0, or 1 after "Error: " and the fault on standard error); nullopt for
/// any other command line, which the engine runs.
std::optional<int> checkMapOption(int argc, char** argv);

} // namespace climb
