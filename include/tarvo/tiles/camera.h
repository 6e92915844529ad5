/// @file
/// FollowCamera: a camera that follows a moving box through a level, lazily inside a dead
/// zone, never faster than a set speed, and never showing past the level's edges.
#pragma once

#include "tarvo/api.h"
#include "tarvo/video/surface.h"

#include <cstdint>

namespace tarvo
{

struct Box;
struct TileMap;

/// The top left of the view in level pixels, moved once a tick after a target box; tile
/// views, backgrounds and sprites all draw at this one whole-pixel position.
///
/// The camera aims at the target's centre pushed lookAhead pixels toward where it faces. While
/// that point stays inside the dead zone, a deadZoneWidth x deadZoneHeight rectangle in the
/// middle of the view, the camera keeps still; past it, the camera moves just enough to bring
/// it back, by at most maxStep pixels on each axis a tick. The view then stays inside the
/// pixel size of the level's collision layer; on an axis where the level is smaller than the
/// view the level is centred (an odd pixel of margin goes right or down), so x() or y() is
/// negative.
class TARVO_API FollowCamera
{
public:
    /// A camera over level at 0, 0 until its first update or snap. It reads the collision
    /// layer's size at every move, so a level loaded again in place applies; level must
    /// outlive the camera.
    explicit FollowCamera(const TileMap& level);

    /// Moves one tick's worth after target, facing right or left.
    void update(const Box& target, bool facingRight);
    /// Jumps, without the speed limit, to where target's aim point is at the middle of the
    /// view (still inside the level): for a level's first tick or a teleport.
    void snap(const Box& target, bool facingRight);

    /// Left edge of the view in level pixels.
    int32_t x() const { return left; }
    /// Top edge of the view in level pixels, downwards.
    int32_t y() const { return top; }

    int viewWidth = kScreenWidth;   ///< The view's size in pixels: what the game draws into.
    int viewHeight = kScreenHeight; ///< The view's height in pixels.
    int deadZoneWidth = 32;         ///< The dead zone's width in pixels; 0 follows exactly.
    int deadZoneHeight = 48;        ///< The dead zone's height in pixels.
    int lookAhead = 0;              ///< Pixels the aim point leads the target's centre.
    int maxStep = 4; ///< The most the camera moves on an axis in one update; below 0 as 0.

private:
    void move(const Box& target, bool facingRight, bool limited);

    const TileMap* level;
    int32_t left = 0;
    int32_t top = 0;
};

} // namespace tarvo
