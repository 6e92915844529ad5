// Enemies' walk: no gravity once placed, since they never leave their floor.
#include "enemy.h"

#include "physics.h"

#include <tarvo/tiles/level.h>

namespace climb
{

namespace
{

int32_t cellOf(int32_t pixel, int32_t size)
{
    return pixel >= 0 ? pixel / size : -((size - 1 - pixel) / size);
}

// Whether the tile at a pixel holds a walker up: solid or one-way.
bool holdsUp(const tarvo::TileMap& map, int32_t x, int32_t y)
{
    const int layer = map.collisionLayer();
    const tarvo::TileLayer* tiles = map.layers[layer].get();
    if (!tiles || tiles->tileWidth <= 0 || tiles->tileHeight <= 0) {
        return false;
    }
    const tarvo::TileProperties& tile =
        map.tileProperties(layer, cellOf(x, tiles->tileWidth), cellOf(y, tiles->tileHeight));
    return tile.solid || tile.oneway;
}

} // namespace

Enemy makeEnemy(const tarvo::TileMap& map, int32_t id, int32_t x, int32_t y, int32_t width,
                int32_t height)
{
    Enemy enemy;
    enemy.id = id;
    enemy.box = {x * 256, y * 256, width, height};
    constexpr int32_t kDropLimit = 48 * 256;
    tarvo::moveBox(map, enemy.box, 0, kDropLimit);
    enemy.start = enemy.box;
    return enemy;
}

void resetEnemy(Enemy& enemy)
{
    enemy.box = enemy.start;
    enemy.direction = -1;
    enemy.alive = true;
}

void stepEnemy(const tarvo::TileMap& map, const Physics& physics, Enemy& enemy)
{
    if (!enemy.alive) {
        return;
    }
    const int32_t dx = enemy.direction * physics.enemySpeed;
    const int32_t left = (enemy.box.x + dx) >> 8;
    const int32_t leading = enemy.direction > 0 ? left + enemy.box.width - 1 : left;
    const int32_t below = (enemy.box.y >> 8) + enemy.box.height;
    if (!holdsUp(map, leading, below)) {
        enemy.direction = -enemy.direction;
        return;
    }
    const tarvo::MoveResult moved = tarvo::moveBox(map, enemy.box, dx, 0);
    if (moved.contacts & (tarvo::LeftWall | tarvo::RightWall)) {
        enemy.direction = -enemy.direction;
    }
}

} // namespace climb
