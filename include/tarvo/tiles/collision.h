/// @file
/// Collision: a box moved through the tiles of a level's collision layer, stopped by solid
/// and one-way tiles and told which sides touched and whether it met a hazard.
#pragma once

#include "tarvo/api.h"

#include <cstdint>

namespace tarvo
{

struct TileMap;

/// A box in level coordinates: its position in 1/256 pixel, its size in whole pixels. It
/// covers pixel columns x >> 8 to (x >> 8) + width - 1 (an arithmetic shift, so -1 is pixel
/// -1), and rows likewise; a box without width or height covers nothing.
struct Box {
    int32_t x = 0;      ///< Left edge in 1/256 pixel.
    int32_t y = 0;      ///< Top edge in 1/256 pixel, downwards.
    int32_t width = 0;  ///< In whole pixels.
    int32_t height = 0; ///< In whole pixels.
};

/// Flags for moveBox, or-ed together.
enum MoveFlags : unsigned {
    ThroughOneWay = 1, ///< One-way tiles do not block: the box drops through them.
};

/// The sides on which a move was stopped, or-ed together in MoveResult::contacts.
enum Contact : unsigned {
    Floor = 1,     ///< Stopped moving down.
    Ceiling = 2,   ///< Stopped moving up.
    LeftWall = 4,  ///< Stopped moving left.
    RightWall = 8, ///< Stopped moving right.
};

/// What a move met.
struct MoveResult {
    unsigned contacts = 0; ///< The Contact of each side that stopped the move.
    bool hazard = false;   ///< The box overlaps a hazard tile now, or one stopped it.
};

/// Moves box by dx, then by dy (1/256 pixel each) through map's collision layer
/// (TileMap::collisionLayer()). A solid tile blocks from every side; a one-way tile blocks only
/// a downward move whose box had its bottom edge, (y >> 8) + height, at or above the tile's
/// top row before the move, and never with ThroughOneWay in flags. A blocked move stops at the
/// last position that overlaps no blocking tile, with its fraction cleared, however long the
/// step: the box never passes through a tile. Only the cells the box moves into are tested,
/// so a box already overlapping a tile can move out of it. Outside the layer is empty.
/// Positions are kept within the int32_t range.
TARVO_API MoveResult moveBox(const TileMap& map, Box& box, int32_t dx, int32_t dy,
                             unsigned flags = 0);

} // namespace tarvo
