/// @file
/// What a level says about its tiles and objects beyond their pictures: custom properties as
/// the Tiled map editor writes them, the tile flags collision reads, and the level's objects.
#pragma once

#include "tarvo/api.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tarvo
{

/// A custom property of a tile or an object, kept as the text Tiled wrote.
struct TARVO_API Property {
    /// The property's Tiled type; Tiled's color, file, object and class types are not kept.
    enum class Type : uint8_t { String = 0, Int = 1, Float = 2, Bool = 3 };

    std::string name;         ///< The property's name.
    Type type = Type::String; ///< Its type, which says how value reads.
    std::string value;        ///< An Int in decimal, a Float as Tiled wrote it, true or false.

    /// The value as a whole number: an Int's value, a Float's truncated toward zero (limited to
    /// the int range), 1 or 0 for a Bool, a String's leading decimal number as strtol reads it
    /// (limited likewise); 0 when there is none.
    int asInt() const;
    /// The value as a number: an Int's or Float's value, 1 or 0 for a Bool, a String's leading
    /// number as strtod reads it; 0 when there is none.
    double asFloat() const;
    /// The value as a flag: true for a Bool or String whose value is "true" and for an Int or
    /// Float other than 0.
    bool asBool() const;
};

/// The properties of one tile of a tile set: the flags collision reads, and the rest.
struct TileProperties {
    bool solid = false;           ///< Blocks a moving box from every side.
    bool oneway = false;          ///< Blocks only a box falling onto it from above.
    bool hazard = false;          ///< Hurts: a box touching it is told so.
    std::vector<Property> custom; ///< Every other property, in name order.
};

/// An object of one of the map's object layers, in whole pixels as Tiled places it.
struct LevelObject {
    int32_t id = 0;     ///< Tiled's object id.
    std::string name;   ///< Its name; may be empty.
    std::string type;   ///< Its type (Tiled's class from version 1.9 on); may be empty.
    int32_t x = 0;      ///< Left edge in level pixels.
    int32_t y = 0;      ///< Top edge, or for a tile object its bottom edge, as in Tiled.
    int32_t width = 0;  ///< Width in pixels; 0 for a point.
    int32_t height = 0; ///< Height in pixels; 0 for a point.
    int32_t tile = -1;  ///< A tile object's tile number; -1 for any other object.
    std::vector<Property> properties; ///< Its custom properties, in name order.
    /// Where the map defines it, for a game's own messages: "FILE:LINE" in a TMX map,
    /// "FILE: /pointer" in a JSON map, empty for a level loaded from a level file.
    std::string place;
};

} // namespace tarvo
