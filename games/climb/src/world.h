// The level's rules: the player, the enemies, coins, checkpoints and the goal of one map, one
// tick at a time, with what happened told as log lines and sounds for the screens to play.
#pragma once

#include "enemy.h"
#include "physics.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tarvo
{
struct LevelObject;
struct TileMap;
} // namespace tarvo

namespace climb
{

/// The sounds a tick can ask for.
enum class Sound { Jump, Coin, Stomp, Death, Checkpoint, Goal };

/// A map object's box in level pixels: a tile object stands on its y, a point is 16 x 16
/// around it.
struct Area {
    int32_t x = 0, y = 0, width = 0, height = 0;
};
Area objectArea(const tarvo::LevelObject& object);

struct Coin {
    Area area;
    int32_t tile = -1; // the tile a tile object shows, animated as the map's tiles are
    bool taken = false;
};

struct Checkpoint {
    int number = 0;
    Area area;
    bool reached = false;
};

/// Whether a step that ended touching enemy landed on it: it moved down, its bottom edge at or
/// above the enemy's top before the step, as for a one-way tile.
bool isStomp(const StepResult& step, const tarvo::Box& enemy);

/// How long the hurt animation plays before the player respawns.
constexpr int kHurtTicks = 45;

class World
{
public:
    /// The level of map, which must have passed checkMap and must outlive the world.
    explicit World(const tarvo::TileMap& map, const Physics& physics = kPhysics);

    /// One tick of play; tick numbers the log lines.
    void step(const Controls& controls, uint32_t tick);

    /// The log lines and sounds of the last step.
    const std::vector<std::string>& lines() const { return stepLines; }
    const std::vector<Sound>& sounds() const { return stepSounds; }

    const Body& player() const { return body; }
    const std::vector<Enemy>& enemies() const { return enemyList; }
    const std::vector<Coin>& coins() const { return coinList; }
    const std::vector<Checkpoint>& checkpoints() const { return checkpointList; }
    const Area& goal() const { return goalArea; }
    int coinsTaken() const { return taken; }
    int deaths() const { return deathCount; }
    /// Ticks played, from the first to the one that reached the goal.
    uint32_t ticks() const { return played; }
    bool hurt() const { return hurtLeft > 0; }
    bool complete() const { return done; }
    /// The number of the checkpoint the player respawns at, 0 for the start.
    int respawnPoint() const { return lastCheckpoint; }
    /// The step's input moved the body (for the animations): the last step's result.
    const StepResult& lastStep() const { return stepResult; }

private:
    void touchEnemies(uint32_t tick);
    void collect();
    void reachCheckpoints(uint32_t tick);
    void die(uint32_t tick);
    void respawn(uint32_t tick);
    void say(const char* format, ...) __attribute__((format(printf, 2, 3)));

    const tarvo::TileMap& map;
    const Physics& physics;
    Body body;
    Area startArea;
    Area goalArea;
    std::vector<Enemy> enemyList;
    std::vector<Coin> coinList;
    std::vector<Checkpoint> checkpointList;
    StepResult stepResult;
    std::vector<std::string> stepLines;
    std::vector<Sound> stepSounds;
    int32_t bottomEdge = 0; // the collision layer's height in pixels
    int taken = 0;
    int deathCount = 0;
    int lastCheckpoint = 0;
    int hurtLeft = 0;
    uint32_t played = 0;
    bool done = false;
};

} // namespace climb
