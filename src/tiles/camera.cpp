// FollowCamera: each axis on its own, the dead zone first, then the speed limit, then the
// level's edges, so no step of the limit can carry the view past an edge.
#include "tarvo/tiles/camera.h"

#include "tarvo/tiles/collision.h"
#include "tarvo/tiles/level.h"

#include <algorithm>

namespace tarvo
{

namespace
{

// One axis of the camera: its position and the sizes that hold it, in pixels.
struct Span {
    int64_t position;
    int64_t view;
    int64_t deadZone;
    int64_t level;
};

// The position with the level's edges kept out of the view, or the level centred in it.
int32_t inside(int64_t position, const Span& span)
{
    if (span.level < span.view) {
        return static_cast<int32_t>(-((span.view - span.level) / 2));
    }
    // The level's size is an int32_t, so the clamped position is one too.
    return static_cast<int32_t>(std::clamp<int64_t>(position, 0, span.level - span.view));
}

// Where the camera goes to keep aim inside the dead zone, which starts halfway across the
// margin the zone leaves in the view.
int64_t chase(int64_t aim, const Span& span)
{
    const int64_t zoneFirst = span.position + (span.view - span.deadZone) / 2;
    const int64_t zoneLast = zoneFirst + span.deadZone;
    if (aim < zoneFirst) {
        return span.position - (zoneFirst - aim);
    }
    return aim > zoneLast ? span.position + (aim - zoneLast) : span.position;
}

} // namespace

FollowCamera::FollowCamera(const TileMap& level) : level(&level) {}

void FollowCamera::update(const Box& target, bool facingRight)
{
    move(target, facingRight, true);
}

void FollowCamera::snap(const Box& target, bool facingRight)
{
    move(target, facingRight, false);
}

void FollowCamera::move(const Box& target, bool facingRight, bool limited)
{
    const int index = level->collisionLayer();
    const TileLayer* layer = index >= 0 && index < 3 ? level->layers[index].get() : nullptr;
    const Span spans[2] = {
        {left, viewWidth, limited ? deadZoneWidth : 0, layer ? layer->pixelWidth : 0},
        {top, viewHeight, limited ? deadZoneHeight : 0, layer ? layer->pixelHeight : 0},
    };
    const int64_t aims[2] = {
        (target.x >> 8) + target.width / 2 + (facingRight ? lookAhead : -int64_t{lookAhead}),
        (target.y >> 8) + target.height / 2,
    };
    int32_t* positions[2] = {&left, &top};
    for (int axis = 0; axis < 2; ++axis) {
        const Span& span = spans[axis];
        int64_t wanted = chase(aims[axis], span);
        if (limited) {
            const int64_t step = std::max(maxStep, 0);
            wanted = std::clamp(wanted, span.position - step, span.position + step);
        }
        *positions[axis] = inside(wanted, span);
    }
}

} // namespace tarvo
