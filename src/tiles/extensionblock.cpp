// The extension block: its encoding, its decoding from the bytes after the third layer, and the
// checks both directions share. Integers are little-endian; texts are a u32 length and bytes.
#include "tiles/extensionblock.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace tarvo
{

namespace
{

constexpr size_t kMagicSize = sizeof kExtensionMagic - 1;
constexpr size_t kMostProperties = UINT16_MAX;
constexpr size_t kMostFrames = UINT16_MAX;
constexpr size_t kMostTiles = INT16_MAX; // records and animations: one per tile number at most

class BlockWriter
{
public:
    explicit BlockWriter(std::vector<uint8_t>& out) : out(out) {}

    void u8(uint32_t value) { out.push_back(static_cast<uint8_t>(value)); }
    void u16(uint32_t value)
    {
        u8(value & 0xFF);
        u8(value >> 8 & 0xFF);
    }
    void u32(uint32_t value)
    {
        u16(value & 0xFFFF);
        u16(value >> 16);
    }
    void i32(int32_t value) { u32(static_cast<uint32_t>(value)); }
    void text(const std::string& value)
    {
        u32(static_cast<uint32_t>(value.size()));
        out.insert(out.end(), value.begin(), value.end());
    }
    void properties(const std::vector<Property>& list)
    {
        u16(static_cast<uint32_t>(list.size()));
        for (const Property& property : list) {
            text(property.name);
            u8(static_cast<uint32_t>(property.type));
            text(property.value);
        }
    }

private:
    std::vector<uint8_t>& out;
};

// Every read is checked against the end of the block before anything is stored, and a count
// never allocates ahead of the bytes that hold its records.
class BlockReader
{
public:
    BlockReader(const std::vector<uint8_t>& bytes, long start, LevelError& error)
        : bytes(bytes), start(start), error(error)
    {
    }

    bool take(size_t size, const char* field, const uint8_t*& at)
    {
        if (bytes.size() - next < size) {
            return fail(std::string("file ends inside ") + field);
        }
        at = bytes.data() + next;
        next += size;
        return true;
    }

    template <typename T>
    bool number(T& value, const char* field)
    {
        const uint8_t* at = nullptr;
        if (!take(sizeof(T), field, at)) {
            return false;
        }
        uint32_t raw = 0;
        for (size_t i = sizeof(T); i-- > 0;) {
            raw = raw << 8 | at[i];
        }
        value = static_cast<T>(raw);
        return true;
    }

    bool text(std::string& value, const char* field)
    {
        uint32_t size = 0;
        const uint8_t* at = nullptr;
        if (!number(size, field) || !take(size, field, at)) {
            return false;
        }
        value.assign(reinterpret_cast<const char*>(at), size);
        return true;
    }

    bool properties(std::vector<Property>& list, const char* field)
    {
        uint16_t count = 0;
        if (!number(count, field)) {
            return false;
        }
        for (uint16_t i = 0; i < count; ++i) {
            Property property;
            uint8_t type = 0;
            if (!text(property.name, field) || !number(type, field) ||
                !text(property.value, field)) {
                return false;
            }
            if (type > static_cast<uint8_t>(Property::Type::Bool)) {
                next -= property.value.size() + 5;
                return fail("unknown property type " + std::to_string(type));
            }
            property.type = static_cast<Property::Type>(type);
            list.push_back(std::move(property));
        }
        return true;
    }

    bool fail(const std::string& message)
    {
        error.offset = start + static_cast<long>(next);
        error.message = message;
        return false;
    }

    size_t left() const { return bytes.size() - next; }

private:
    const std::vector<uint8_t>& bytes;
    const long start;
    LevelError& error;
    size_t next = 0;
};

bool readHeader(BlockReader& in, LevelExtension& extension)
{
    const uint8_t* magic = nullptr;
    uint16_t version = 0;
    if (!in.take(kMagicSize, "the extension block", magic) ||
        !in.number(version, "the extension block's version")) {
        return false;
    }
    if (version != kExtensionVersion) {
        return in.fail("extension block version " + std::to_string(version) + " is not supported");
    }
    return in.number(extension.collisionLayer, "the extension block's collision layer");
}

bool readTiles(BlockReader& in, LevelExtension& extension)
{
    const char* field = "the extension block's tiles";
    uint16_t count = 0;
    if (!in.number(count, field)) {
        return false;
    }
    for (uint16_t i = 0; i < count; ++i) {
        LevelTileData record;
        uint8_t flags = 0;
        if (!in.number(record.tile, field) || !in.number(flags, field)) {
            return false;
        }
        if (flags > 7) {
            return in.fail("unknown tile flags " + std::to_string(flags));
        }
        record.properties.solid = flags & 1;
        record.properties.oneway = flags & 2;
        record.properties.hazard = flags & 4;
        if (!in.properties(record.properties.custom, field)) {
            return false;
        }
        extension.tiles.push_back(std::move(record));
    }
    return true;
}

bool readAnimations(BlockReader& in, LevelExtension& extension)
{
    const char* field = "the extension block's animations";
    uint16_t count = 0;
    if (!in.number(count, field)) {
        return false;
    }
    for (uint16_t i = 0; i < count; ++i) {
        LevelAnimationData animation;
        uint16_t frames = 0;
        if (!in.number(animation.tile, field) || !in.number(frames, field)) {
            return false;
        }
        for (uint16_t f = 0; f < frames; ++f) {
            LevelFrameData frame;
            if (!in.number(frame.tile, field) || !in.number(frame.milliseconds, field)) {
                return false;
            }
            animation.frames.push_back(frame);
        }
        extension.animations.push_back(std::move(animation));
    }
    return true;
}

bool readObjects(BlockReader& in, LevelExtension& extension)
{
    const char* field = "the extension block's objects";
    uint32_t count = 0;
    if (!in.number(count, field)) {
        return false;
    }
    for (uint32_t i = 0; i < count; ++i) {
        LevelObject object;
        if (!in.number(object.id, field) || !in.text(object.name, field) ||
            !in.text(object.type, field) || !in.number(object.x, field) ||
            !in.number(object.y, field) || !in.number(object.width, field) ||
            !in.number(object.height, field) || !in.number(object.tile, field) ||
            !in.properties(object.properties, field)) {
            return false;
        }
        extension.objects.push_back(std::move(object));
    }
    return true;
}

// Names strictly increasing, values readable as their type, at most a u16 count of them.
std::string propertiesError(const std::vector<Property>& list, const std::string& owner)
{
    if (list.size() > kMostProperties) {
        return owner + " has more than " + std::to_string(kMostProperties) + " properties";
    }
    for (size_t i = 0; i < list.size(); ++i) {
        if (i > 0 && !(list[i - 1].name < list[i].name)) {
            return owner + ": properties are not in name order, each once";
        }
        const std::string why = propertyValueError(list[i]);
        if (!why.empty()) {
            return owner + ": property " + list[i].name + " is not valid: " + why;
        }
    }
    return "";
}

std::string tileError(int32_t tile, size_t tileCount, const std::string& what)
{
    if (tile < 0 || static_cast<size_t>(tile) >= tileCount) {
        return what + " " + std::to_string(tile) + " is not one of the level's " +
               std::to_string(tileCount) + " tiles";
    }
    return "";
}

std::string tilesError(const LevelExtension& extension, size_t tileCount)
{
    if (extension.tiles.size() > kMostTiles) {
        return "more than 32767 tile records";
    }
    for (size_t i = 0; i < extension.tiles.size(); ++i) {
        const LevelTileData& record = extension.tiles[i];
        const std::string owner = "tile " + std::to_string(record.tile);
        std::string why = tileError(record.tile, tileCount, "tile");
        if (why.empty() && i > 0 && extension.tiles[i - 1].tile >= record.tile) {
            why = "tile records are not in tile order, each once";
        }
        const TileProperties& properties = record.properties;
        if (why.empty() && !properties.solid && !properties.oneway && !properties.hazard &&
            properties.custom.empty()) {
            why = owner + " has no property";
        }
        for (const Property& property : properties.custom) {
            if (why.empty() && (property.name == "solid" || property.name == "oneway" ||
                                property.name == "hazard")) {
                why = owner + ": " + property.name + " is a flag, not a custom property";
            }
        }
        if (why.empty()) {
            why = propertiesError(properties.custom, owner);
        }
        if (!why.empty()) {
            return why;
        }
    }
    return "";
}

std::string animationsError(const LevelExtension& extension, size_t tileCount)
{
    if (extension.animations.size() > kMostTiles) {
        return "more than 32767 animations";
    }
    for (size_t i = 0; i < extension.animations.size(); ++i) {
        const LevelAnimationData& animation = extension.animations[i];
        std::string why = tileError(animation.tile, tileCount, "animated tile");
        if (why.empty() && i > 0 && extension.animations[i - 1].tile >= animation.tile) {
            why = "animations are not in tile order, each once";
        }
        if (why.empty() && (animation.frames.empty() || animation.frames.size() > kMostFrames)) {
            why = "the animation of tile " + std::to_string(animation.tile) +
                  " has no frames or more than 65535";
        }
        for (const LevelFrameData& frame : animation.frames) {
            if (why.empty()) {
                why = tileError(frame.tile, tileCount, "animation frame tile");
            }
            if (why.empty() && frame.milliseconds < 0) {
                why = "animation frame duration " + std::to_string(frame.milliseconds) +
                      " is negative";
            }
        }
        if (!why.empty()) {
            return why;
        }
    }
    return "";
}

std::string objectsError(const LevelExtension& extension, size_t tileCount)
{
    if (extension.objects.size() > UINT32_MAX) {
        return "more than 4294967295 objects";
    }
    for (const LevelObject& object : extension.objects) {
        const std::string owner = "object " + std::to_string(object.id);
        std::string why =
            object.tile == -1 ? "" : tileError(object.tile, tileCount, owner + ": tile");
        if (why.empty()) {
            why = propertiesError(object.properties, owner);
        }
        if (!why.empty()) {
            return why;
        }
    }
    return "";
}

} // namespace

std::string propertyValueError(const Property& property)
{
    const std::string& value = property.value;
    switch (property.type) {
    case Property::Type::String:
        return "";
    case Property::Type::Int: {
        errno = 0;
        char* end = nullptr;
        const long long number = std::strtoll(value.c_str(), &end, 10);
        const bool fits = errno == 0 && number >= INT32_MIN && number <= INT32_MAX;
        return fits && value == std::to_string(number) ? "" : "not an int";
    }
    case Property::Type::Float: {
        // strtod alone would take leading spaces, hexadecimal, inf and nan.
        char* end = nullptr;
        const double number = std::strtod(value.c_str(), &end);
        const bool decimal =
            !value.empty() && value.find_first_not_of("0123456789+-.eE") == std::string::npos;
        return decimal && *end == '\0' && std::isfinite(number) ? "" : "not a float";
    }
    case Property::Type::Bool:
        return value == "true" || value == "false" ? "" : "not true or false";
    }
    return "not a known type";
}

std::string extensionError(const LevelFile& level)
{
    const LevelExtension& extension = level.extension;
    const bool magicTrailer =
        level.trailer.size() >= kMagicSize &&
        std::equal(level.trailer.begin(), level.trailer.begin() + kMagicSize, kExtensionMagic);
    if (magicTrailer) {
        return "the trailer starts like an extension block";
    }
    if (extension.empty()) {
        return "";
    }
    if (!level.trailer.empty()) {
        return "a trailer cannot be stored beside the extension block";
    }
    if (extension.collisionLayer < 1 || extension.collisionLayer > 3) {
        return "collision layer " + std::to_string(extension.collisionLayer) + " is not 1 to 3";
    }
    const size_t tileCount = level.tileImages.size();
    for (const std::string& why :
         {tilesError(extension, tileCount), animationsError(extension, tileCount),
          objectsError(extension, tileCount)}) {
        if (!why.empty()) {
            return why;
        }
    }
    return "";
}

void writeExtensionBlock(const LevelExtension& extension, std::vector<uint8_t>& bytes)
{
    BlockWriter out(bytes);
    bytes.insert(bytes.end(), kExtensionMagic, kExtensionMagic + kMagicSize);
    out.u16(kExtensionVersion);
    out.u8(extension.collisionLayer);
    out.u16(static_cast<uint32_t>(extension.tiles.size()));
    for (const LevelTileData& record : extension.tiles) {
        const TileProperties& properties = record.properties;
        out.u16(static_cast<uint16_t>(record.tile));
        out.u8((properties.solid ? 1 : 0) | (properties.oneway ? 2 : 0) |
               (properties.hazard ? 4 : 0));
        out.properties(properties.custom);
    }
    out.u16(static_cast<uint32_t>(extension.animations.size()));
    for (const LevelAnimationData& animation : extension.animations) {
        out.u16(static_cast<uint16_t>(animation.tile));
        out.u16(static_cast<uint32_t>(animation.frames.size()));
        for (const LevelFrameData& frame : animation.frames) {
            out.u16(static_cast<uint16_t>(frame.tile));
            out.i32(frame.milliseconds);
        }
    }
    out.u32(static_cast<uint32_t>(extension.objects.size()));
    for (const LevelObject& object : extension.objects) {
        out.i32(object.id);
        out.text(object.name);
        out.text(object.type);
        for (const int32_t value : {object.x, object.y, object.width, object.height, object.tile}) {
            out.i32(value);
        }
        out.properties(object.properties);
    }
}

bool readExtensionBlock(const std::vector<uint8_t>& bytes, long start, LevelExtension& extension,
                        LevelError& error)
{
    BlockReader in(bytes, start, error);
    if (!readHeader(in, extension) || !readTiles(in, extension) || !readAnimations(in, extension) ||
        !readObjects(in, extension)) {
        return false;
    }
    if (in.left() > 0) {
        return in.fail(std::to_string(in.left()) + " bytes follow the extension block");
    }
    return true;
}

} // namespace tarvo
