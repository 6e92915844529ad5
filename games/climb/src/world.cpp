// The level's rules, applied after the player's and the enemies' moves of each tick: deaths
// first (a hazard, the bottom edge, an enemy's touch), then coins, checkpoints and the goal,
// so a player who dies on a coin does not take it.
#include "world.h"

#include <cstdarg>
#include <cstdio>
#include <tarvo/tiles/level.h>

namespace climb
{

namespace
{

constexpr int32_t kPointSize = 16;

bool overlaps(const tarvo::Box& box, const Area& area)
{
    const int32_t left = box.x >> 8;
    const int32_t top = box.y >> 8;
    return left < area.x + area.width && area.x < left + box.width && top < area.y + area.height &&
           area.y < top + box.height;
}

Area boxArea(const tarvo::Box& box)
{
    return {box.x >> 8, box.y >> 8, box.width, box.height};
}

void placeOn(const tarvo::TileMap& map, Body& body, const Area& area)
{
    placeBody(map, body, area.x + (area.width - kPlayerWidth) / 2, area.y + area.height);
}

} // namespace

Area objectArea(const tarvo::LevelObject& object)
{
    if (object.width <= 0 || object.height <= 0) {
        return {object.x - kPointSize / 2, object.y - kPointSize / 2, kPointSize, kPointSize};
    }
    // Tiled gives a tile object's bottom edge as its y.
    const int32_t top = object.tile >= 0 ? object.y - object.height : object.y;
    return {object.x, top, object.width, object.height};
}

bool isStomp(const StepResult& step, const tarvo::Box& enemy)
{
    return step.movedDown && step.bottomBefore <= (enemy.y >> 8);
}

World::World(const tarvo::TileMap& map, const Physics& physics) : map(map), physics(physics)
{
    for (const tarvo::LevelObject& object : map.objects()) {
        const Area area = objectArea(object);
        if (object.type == "start" && startArea.width == 0) {
            startArea = area;
        } else if (object.type == "goal" && goalArea.width == 0) {
            goalArea = area;
        } else if (object.type == "coin") {
            coinList.push_back({area, object.tile});
        } else if (object.type == "enemy") {
            enemyList.push_back(makeEnemy(map, object.id, area.x, area.y, area.width, area.height));
        } else if (object.type == "checkpoint") {
            int number = 0;
            for (const tarvo::Property& property : object.properties) {
                if (property.name == "number") {
                    number = property.asInt();
                }
            }
            checkpointList.push_back({number, area});
        }
    }
    const tarvo::TileLayer* layer = map.layers[map.collisionLayer()].get();
    bottomEdge = layer ? layer->pixelHeight : 0;
    placeOn(map, body, startArea);
}

void World::step(const Controls& controls, uint32_t tick)
{
    stepLines.clear();
    stepSounds.clear();
    if (done) {
        return;
    }
    ++played;
    if (hurtLeft > 0) {
        if (--hurtLeft == 0) {
            respawn(tick);
        }
        return;
    }
    stepResult = stepBody(map, physics, controls, body);
    if (stepResult.jumped) {
        stepSounds.push_back(Sound::Jump);
    }
    for (Enemy& enemy : enemyList) {
        stepEnemy(map, physics, enemy);
    }
    if (stepResult.hazard || (body.box.y >> 8) >= bottomEdge) {
        die(tick);
        return;
    }
    touchEnemies(tick);
    if (hurtLeft > 0) {
        return;
    }
    collect();
    reachCheckpoints(tick);
    if (goalArea.width > 0 && overlaps(body.box, goalArea)) {
        done = true;
        stepSounds.push_back(Sound::Goal);
        say("Level complete at tick %u: %d of %zu coins, %d deaths", tick, taken, coinList.size(),
            deathCount);
    }
}

// Any touch but a stomp kills, even in the step of a stomp.
void World::touchEnemies(uint32_t tick)
{
    bool stomped = false;
    for (Enemy& enemy : enemyList) {
        if (!enemy.alive || !overlaps(body.box, boxArea(enemy.box))) {
            continue;
        }
        if (!isStomp(stepResult, enemy.box)) {
            die(tick);
            return;
        }
        enemy.alive = false;
        stomped = true;
        stepSounds.push_back(Sound::Stomp);
        say("Enemy %d stomped at tick %u", enemy.id, tick);
    }
    if (stomped) {
        body.vy = physics.stompBounce;
        body.onFloor = false;
    }
}

void World::collect()
{
    for (Coin& coin : coinList) {
        if (!coin.taken && overlaps(body.box, coin.area)) {
            coin.taken = true;
            ++taken;
            stepSounds.push_back(Sound::Coin);
        }
    }
}

void World::reachCheckpoints(uint32_t tick)
{
    for (Checkpoint& checkpoint : checkpointList) {
        if (!checkpoint.reached && overlaps(body.box, checkpoint.area)) {
            checkpoint.reached = true;
            lastCheckpoint = checkpoint.number;
            stepSounds.push_back(Sound::Checkpoint);
            say("Checkpoint %d reached at tick %u", checkpoint.number, tick);
        }
    }
}

void World::die(uint32_t tick)
{
    ++deathCount;
    hurtLeft = kHurtTicks;
    body.vx = 0;
    body.vy = 0;
    stepSounds.push_back(Sound::Death);
    say("Died at tick %u", tick);
}

// Coins stay taken; every enemy comes back, stomped or not.
void World::respawn(uint32_t tick)
{
    const Area* area = &startArea;
    for (const Checkpoint& checkpoint : checkpointList) {
        if (checkpoint.number == lastCheckpoint && checkpoint.reached) {
            area = &checkpoint.area;
        }
    }
    placeOn(map, body, *area);
    for (Enemy& enemy : enemyList) {
        resetEnemy(enemy);
    }
    say("Respawned at checkpoint %d at tick %u", lastCheckpoint, tick);
}

void World::say(const char* format, ...)
{
    char line[256];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(line, sizeof line, format, arguments);
    va_end(arguments);
    stepLines.emplace_back(line);
}

} // namespace climb
