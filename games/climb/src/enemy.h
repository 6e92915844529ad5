// Enemies: they walk back and forth along their floor, turning at walls and at ledge ends.
#pragma once

#include <cstdint>
#include <tarvo/tiles/collision.h>

namespace tarvo
{
struct TileMap;
}

namespace climb
{

struct Physics;

struct Enemy {
    int32_t id = 0;   // the map object's id, for the log
    tarvo::Box start; // where it returns when the player respawns
    tarvo::Box box;
    int direction = -1; // -1 left, 1 right; every enemy sets off to the left
    bool alive = true;
};

/// An enemy standing on the floor below the box (in level pixels) it was placed in; it drops
/// at most two tiles to find it.
Enemy makeEnemy(const tarvo::TileMap& map, int32_t id, int32_t x, int32_t y, int32_t width,
                int32_t height);

/// Puts the enemy back where it started, alive.
void resetEnemy(Enemy& enemy);

/// One tick of walking: a step that would take the leading bottom corner off its floor turns
/// the enemy round instead, and so does a wall.
void stepEnemy(const tarvo::TileMap& map, const Physics& physics, Enemy& enemy);

} // namespace climb
