// The player's feel: one table of numbers in 1/256 pixel and ticks, and the step that applies
// it once a tick through the engine's moveBox.
#pragma once

#include <cstdint>
#include <tarvo/tiles/collision.h>

namespace tarvo
{
struct TileMap;
}

namespace climb
{

/// Speeds in 1/256 pixel a tick, accelerations in 1/256 pixel a tick per tick.
struct Physics {
    int32_t runAcceleration = 24;
    int32_t runDeceleration = 40;
    int32_t topSpeed = 512;
    int32_t jumpSpeed = -1408;
    int32_t gravityHeld = 46; // while jump is held and the player rises
    int32_t gravity = 96;
    int32_t fallCap = 1536;
    int32_t stompBounce = -1024;
    int32_t enemySpeed = 128;
    int coyoteTicks = 6;     // a jump still starts this many ticks after leaving a ledge
    int jumpBufferTicks = 6; // a press this many ticks before landing still jumps
    int dropTicks = 8;       // one-way tiles are ignored this long after down + jump
};

/// The game's table; docs/climb.md gives it with the reasons.
extern const Physics kPhysics;

/// The player's box in level pixels.
constexpr int32_t kPlayerWidth = 12;
constexpr int32_t kPlayerHeight = 22;

/// What the player asks for in one tick.
struct Controls {
    bool left = false;
    bool right = false;
    bool down = false;
    bool jumpHeld = false;
    bool jumpPressed = false;
};

/// The player's body: position, speed and the timers of the jump rules.
struct Body {
    tarvo::Box box{0, 0, kPlayerWidth, kPlayerHeight};
    int32_t vx = 0;
    int32_t vy = 0;
    bool onFloor = false;
    bool facingRight = true;
    int airTicks = 1000; // steps since the player last stood on a floor
    int pressAge = -1;   // steps since an unused jump press; -1: none waiting
    int dropLeft = 0;    // steps left of falling through one-way tiles
};

/// What one step did, for the sounds and the rules.
struct StepResult {
    bool jumped = false;
    bool dropped = false;
    bool hazard = false;
    bool movedDown = false;   // the move went down: the stomp rule asks
    int32_t bottomBefore = 0; // the box's bottom edge, (y >> 8) + height, before the step
};

/// Places the body's feet on a point in level pixels: its box's left at x, bottom edge at
/// bottom; still, facing right, and standing when map has a floor there.
void placeBody(const tarvo::TileMap& map, Body& body, int32_t x, int32_t bottom);

/// One tick of the player: run, jump (coyote time and the jump buffer), gravity, one-way
/// drops, and the move through map's collision layer.
StepResult stepBody(const tarvo::TileMap& map, const Physics& physics, const Controls& controls,
                    Body& body);

/// Whether every tile under the body's feet that holds it up is one-way (none solid).
bool standsOnOneWay(const tarvo::TileMap& map, const Body& body);

} // namespace climb
