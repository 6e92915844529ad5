// The player's step: run, jump, gravity and the move, in the order a platformer's feel needs:
// the jump is decided from the floor of the previous step, gravity applies before the move
// (so a jump's first step already bends), and the floor is probed after it.
#include "physics.h"

#include <algorithm>
#include <tarvo/tiles/level.h>

namespace climb
{

const Physics kPhysics;

namespace
{

// Air steps are counted only as far as the coyote rule looks, so the count never overflows.
constexpr int kLongInAir = 1000;

int32_t towardZero(int32_t speed, int32_t by)
{
    return speed > 0 ? std::max(0, speed - by) : std::min(0, speed + by);
}

void run(const Physics& physics, const Controls& controls, Body& body)
{
    const int direction = int(controls.right) - int(controls.left);
    if (direction == 0) {
        body.vx = towardZero(body.vx, physics.runDeceleration);
        return;
    }
    body.facingRight = direction > 0;
    // Turning round brakes as hard as letting go, so a reversal is as quick as a stop.
    const bool turning = body.vx * direction < 0;
    body.vx += direction * (turning ? physics.runDeceleration : physics.runAcceleration);
    body.vx = std::clamp(body.vx, -physics.topSpeed, physics.topSpeed);
}

// A press waits in the buffer until a jump may start; the floor counts for coyoteTicks after
// the player left it, unless a jump already used it.
void jump(const tarvo::TileMap& map, const Physics& physics, const Controls& controls, Body& body,
          StepResult& result)
{
    if (controls.jumpPressed) {
        body.pressAge = 0;
    }
    const bool waiting = body.pressAge >= 0 && body.pressAge <= physics.jumpBufferTicks;
    const bool grounded = body.onFloor || body.airTicks <= physics.coyoteTicks;
    if (!waiting || !grounded) {
        return;
    }
    body.pressAge = -1;
    if (controls.down && body.onFloor && standsOnOneWay(map, body)) {
        body.dropLeft = physics.dropTicks;
        result.dropped = true;
        return;
    }
    body.vy = physics.jumpSpeed;
    body.airTicks = physics.coyoteTicks + 1;
    result.jumped = true;
}

// Standing still moves less than a pixel a step, which moveBox does not report as a contact;
// a one-pixel probe finds the floor either way, and spikes under the feet.
tarvo::MoveResult probeFloor(const tarvo::TileMap& map, const Body& body, unsigned flags)
{
    tarvo::Box probe = body.box;
    return tarvo::moveBox(map, probe, 0, 256, flags);
}

} // namespace

void placeBody(const tarvo::TileMap& map, Body& body, int32_t x, int32_t bottom)
{
    body = Body();
    body.box.x = x * 256;
    body.box.y = (bottom - body.box.height) * 256;
    body.onFloor = (probeFloor(map, body, 0).contacts & tarvo::Floor) != 0;
    body.airTicks = body.onFloor ? 0 : body.airTicks;
}

bool standsOnOneWay(const tarvo::TileMap& map, const Body& body)
{
    const int layer = map.collisionLayer();
    const tarvo::TileLayer* tiles = map.layers[layer].get();
    if (!tiles || tiles->tileWidth <= 0 || tiles->tileHeight <= 0) {
        return false;
    }
    const int32_t left = body.box.x >> 8;
    const int32_t feet = (body.box.y >> 8) + body.box.height;
    const auto cell = [](int32_t pixel, int32_t size) {
        return pixel >= 0 ? pixel / size : -((size - 1 - pixel) / size);
    };
    bool oneWay = false;
    for (int32_t column = cell(left, tiles->tileWidth);
         column <= cell(left + body.box.width - 1, tiles->tileWidth); ++column) {
        const tarvo::TileProperties& tile =
            map.tileProperties(layer, column, cell(feet, tiles->tileHeight));
        if (tile.solid) {
            return false;
        }
        oneWay = oneWay || tile.oneway;
    }
    return oneWay;
}

StepResult stepBody(const tarvo::TileMap& map, const Physics& physics, const Controls& controls,
                    Body& body)
{
    StepResult result;
    result.bottomBefore = (body.box.y >> 8) + body.box.height;
    run(physics, controls, body);
    jump(map, physics, controls, body, result);

    // Holding jump while rising makes the jump longer: the variable jump height.
    const bool rising = body.vy < 0;
    body.vy += controls.jumpHeld && rising ? physics.gravityHeld : physics.gravity;
    body.vy = std::min(body.vy, physics.fallCap);

    const unsigned flags = body.dropLeft > 0 ? tarvo::ThroughOneWay : 0u;
    body.dropLeft = std::max(0, body.dropLeft - 1);
    result.movedDown = body.vy > 0;
    const tarvo::MoveResult moved = tarvo::moveBox(map, body.box, body.vx, body.vy, flags);
    result.hazard = moved.hazard;
    if (moved.contacts & (tarvo::LeftWall | tarvo::RightWall)) {
        body.vx = 0;
    }
    if ((moved.contacts & tarvo::Ceiling) && body.vy < 0) {
        body.vy = 0;
    }
    body.onFloor = false;
    if (body.vy >= 0) {
        const tarvo::MoveResult probe = probeFloor(map, body, flags);
        body.onFloor = ((moved.contacts | probe.contacts) & tarvo::Floor) != 0;
        result.hazard = result.hazard || (body.onFloor && probe.hazard);
    }
    if (body.onFloor) {
        body.vy = 0;
        body.airTicks = 0;
    } else {
        body.airTicks = std::min(body.airTicks + 1, kLongInAir);
    }
    if (body.pressAge >= 0) {
        body.pressAge = body.pressAge < physics.jumpBufferTicks ? body.pressAge + 1 : -1;
    }
    return result;
}

} // namespace climb
