// Collision: each move along one axis tests, line by line of tiles, only the lines the box's
// leading edge enters, so a step of any length stops at the first line that blocks it.
#include "tarvo/tiles/collision.h"

#include "tarvo/tiles/level.h"

#include <algorithm>
#include <limits>

namespace tarvo
{

namespace
{

// Pixels or tiles from first to last, both included; empty when last < first.
struct Range {
    int64_t first = 0;
    int64_t last = -1;
};

// Floor division, so pixel -1 lies in tile -1 and not in tile 0.
int64_t tileOf(int64_t pixel, int64_t tileSize)
{
    return pixel >= 0 ? pixel / tileSize : -((-pixel + tileSize - 1) / tileSize);
}

int32_t clampPosition(int64_t position)
{
    return static_cast<int32_t>(std::clamp<int64_t>(position, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

// The collision layer as one axis of a move sees it: lines are its columns for a move along
// x and its rows along y, and the cells of a line lie across.
class Axis
{
public:
    Axis(const TileMap& map, bool vertical) : vertical(vertical), map(map)
    {
        const int index = map.collisionLayer();
        const TileLayer* layer = index >= 0 && index < 3 ? map.layers[index].get() : nullptr;
        // Without cells or with empty tiles the layer holds nothing to collide with.
        if (layer && layer->tileWidth > 0 && layer->tileHeight > 0) {
            lineSize = vertical ? layer->tileHeight : layer->tileWidth;
            lineCount = vertical ? layer->rows : layer->cols;
            acrossSize = vertical ? layer->tileWidth : layer->tileHeight;
            acrossCount = vertical ? layer->cols : layer->rows;
        }
    }

    int64_t lineOf(int64_t pixel) const { return tileOf(pixel, lineSize); }
    // The lines from first to last that lie in the layer.
    Range lines(int64_t first, int64_t last) const
    {
        return {std::max<int64_t>(first, 0), std::min(last, lineCount - 1)};
    }
    // The cells across that pixels first to last touch, within the layer.
    Range across(int64_t first, int64_t last) const
    {
        if (last < first) {
            return {};
        }
        return {std::max<int64_t>(tileOf(first, acrossSize), 0),
                std::min(tileOf(last, acrossSize), acrossCount - 1)};
    }
    const TileProperties& cell(int64_t line, int64_t across) const
    {
        const auto a = static_cast<int32_t>(line), b = static_cast<int32_t>(across);
        return vertical ? map.tileProperties(map.collisionLayer(), b, a)
                        : map.tileProperties(map.collisionLayer(), a, b);
    }

    const bool vertical;
    int64_t lineSize = 1;

private:
    const TileMap& map;
    int64_t lineCount = 0;
    int64_t acrossSize = 1;
    int64_t acrossCount = 0;
};

// Moves position (1/256 pixel) by delta along axis, for a box size pixels long on that axis
// and covering pixels covered across it. Returns whether a line stopped it; hazard is set
// when a blocking cell of that line is a hazard.
bool moveAlong(const Axis& axis, int32_t& position, int64_t size, Range covered, int64_t delta,
               unsigned flags, bool& hazard)
{
    const int64_t from = position >> 8; // arithmetic: -1/256 is pixel -1
    const int32_t target = clampPosition(int64_t{position} + delta);
    const int64_t to = target >> 8;
    // Only the lines past those the box covers now, in the order it meets them: a box already
    // overlapping a tile can leave it, and a one-way line ahead of a box moving down lies wholly
    // below the box's bottom edge, as it must to hold the box.
    const Range entered =
        delta > 0 ? axis.lines(axis.lineOf(from + size - 1) + 1, axis.lineOf(to + size - 1))
                  : axis.lines(axis.lineOf(to), axis.lineOf(from) - 1);
    const Range across = axis.across(covered.first, covered.last);
    const bool oneWayBlocks = axis.vertical && delta > 0 && !(flags & ThroughOneWay);
    for (int64_t i = 0; i <= entered.last - entered.first; ++i) {
        const int64_t line = delta > 0 ? entered.first + i : entered.last - i;
        bool blocked = false;
        for (int64_t a = across.first; a <= across.last; ++a) {
            const TileProperties& cell = axis.cell(line, a);
            if (cell.solid || (cell.oneway && oneWayBlocks)) {
                blocked = true;
                hazard = hazard || cell.hazard;
            }
        }
        if (blocked) {
            // The last free position, in whole pixels: against the line's near side.
            const int64_t pixel =
                delta > 0 ? line * axis.lineSize - size : (line + 1) * axis.lineSize;
            position = clampPosition(pixel * 256);
            return true;
        }
    }
    position = target;
    return false;
}

bool overlapsHazard(const TileMap& map, const Box& box)
{
    const Axis columns(map, false);
    const int64_t left = box.x >> 8, top = box.y >> 8;
    const Range cols = columns.lines(columns.lineOf(left), columns.lineOf(left + box.width - 1));
    const Range rows = columns.across(top, top + box.height - 1);
    for (int64_t col = cols.first; col <= cols.last; ++col) {
        for (int64_t row = rows.first; row <= rows.last; ++row) {
            if (columns.cell(col, row).hazard) {
                return true;
            }
        }
    }
    return false;
}

} // namespace

MoveResult moveBox(const TileMap& map, Box& box, int32_t dx, int32_t dy, unsigned flags)
{
    MoveResult result;
    if (box.width <= 0 || box.height <= 0) {
        box.x = clampPosition(int64_t{box.x} + dx);
        box.y = clampPosition(int64_t{box.y} + dy);
        return result;
    }
    // Along x first, so a box sliding into a corner meets the wall before the floor.
    const int64_t top = box.y >> 8;
    if (moveAlong(Axis(map, false), box.x, box.width, {top, top + box.height - 1}, dx, flags,
                  result.hazard)) {
        result.contacts |= dx > 0 ? RightWall : LeftWall;
    }
    const int64_t left = box.x >> 8;
    if (moveAlong(Axis(map, true), box.y, box.height, {left, left + box.width - 1}, dy, flags,
                  result.hazard)) {
        result.contacts |= dy > 0 ? Floor : Ceiling;
    }
    result.hazard = result.hazard || overlapsHazard(map, box);
    return result;
}

} // namespace tarvo
