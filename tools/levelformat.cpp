// Level text: one directive per line, '#' starts a comment, hex for the bytes the engine skips.
// Writing and parsing live side by side so that each directive is read as it is written.
#include "levelformat.h"

#include "tarvo/tiles/levelfile.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <sstream>
#include <vector>

namespace tarvo
{

std::string hexText(const uint8_t* data, size_t size, const char* separator)
{
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (size_t i = 0; i < size; ++i) {
        text += separator;
        text += digits[data[i] >> 4];
        text += digits[data[i] & 15];
    }
    return text;
}

namespace
{

constexpr size_t kBytesPerLine = 16;

std::string hexBytes(const uint8_t* data, size_t size)
{
    return hexText(data, size, " ");
}

template <typename Bytes>
std::string hexBytes(const Bytes& bytes)
{
    return hexBytes(bytes.data(), bytes.size());
}

// Long byte runs go out as several lines of the same directive, each appending.
void writeHexLines(std::ostringstream& out, const char* directive,
                   const std::vector<uint8_t>& bytes)
{
    for (size_t start = 0; start < bytes.size(); start += kBytesPerLine) {
        const size_t count = std::min(kBytesPerLine, bytes.size() - start);
        out << directive << hexBytes(bytes.data() + start, count) << '\n';
    }
}

void writeRecords(std::ostringstream& out, const char* directive,
                  const std::vector<uint8_t>& records, size_t size)
{
    for (size_t start = 0; start + size <= records.size(); start += size) {
        out << directive << hexBytes(records.data() + start, size) << '\n';
    }
}

std::string cellText(int16_t cell)
{
    return cell == kEmptyCell ? "." : std::to_string(cell);
}

// A word the parser reads back as text: bare when it is plain, else in double quotes with
// escapes for the quote, the backslash and control bytes.
std::string textWord(const std::string& text, bool alwaysQuoted = false)
{
    const bool plain = !alwaysQuoted && !text.empty() &&
                       text.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
                                              "0123456789_.+-/:") == std::string::npos;
    if (plain) {
        return text;
    }
    std::string quoted = "\"";
    for (const char c : text) {
        const auto byte = static_cast<uint8_t>(c);
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += c;
        } else if (c == '\n') {
            quoted += "\\n";
        } else if (byte < 0x20 || byte == 0x7F) {
            quoted += "\\x" + hexText(&byte, 1);
        } else {
            quoted += c;
        }
    }
    return quoted + '"';
}

const char* const kPropertyTypes[] = {"string", "int", "float", "bool"};

// NAME TYPE VALUE, a string's value always quoted.
std::string propertyWords(const Property& property)
{
    const bool isString = property.type == Property::Type::String;
    return textWord(property.name) + ' ' + kPropertyTypes[static_cast<size_t>(property.type)] +
           ' ' + (isString ? textWord(property.value, true) : property.value);
}

// The extension block, after everything else: each directive adds to what the block holds.
void writeExtension(std::ostringstream& out, const LevelExtension& extension)
{
    if (extension.collisionLayer != 2) {
        out << "collisionlayer " << int{extension.collisionLayer} << '\n';
    }
    for (const LevelTileData& record : extension.tiles) {
        const TileProperties& properties = record.properties;
        for (const auto& [flag, set] : {std::pair{"solid", properties.solid},
                                        {"oneway", properties.oneway},
                                        {"hazard", properties.hazard}}) {
            if (set) {
                out << "tileprop " << record.tile << ' ' << flag << '\n';
            }
        }
        for (const Property& property : properties.custom) {
            out << "tileprop " << record.tile << ' ' << propertyWords(property) << '\n';
        }
    }
    for (const LevelAnimationData& animation : extension.animations) {
        out << "animation " << animation.tile;
        for (const LevelFrameData& frame : animation.frames) {
            out << ' ' << frame.tile << ' ' << frame.milliseconds;
        }
        out << '\n';
    }
    for (const LevelObject& object : extension.objects) {
        out << "object " << object.id << ' ' << textWord(object.name, object.name.empty()) << ' '
            << textWord(object.type, object.type.empty()) << ' ' << object.x << ' ' << object.y
            << ' ' << object.width << ' ' << object.height << ' ' << object.tile << '\n';
        for (const Property& property : object.properties) {
            out << "objectprop " << propertyWords(property) << '\n';
        }
    }
}

std::string padded(const std::string& text, size_t width)
{
    return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

// Rows start with '|' so that a layer without columns still has a line per row. The first
// layer's rows show, after '#', the tile numbers its table indices translate to.
void writeLayer(std::ostringstream& out, const LevelFile& level, int index)
{
    const LevelLayerData& layer = level.layers[index];
    out << "layer " << index + 1 << ' ' << layer.cols << ' ' << layer.rows << '\n';
    for (int32_t row = 0; row < layer.rows; ++row) {
        const int16_t* cells = layer.cells.data() + static_cast<size_t>(row) * layer.cols;
        std::string line = "|";
        for (int32_t col = 0; col < layer.cols; ++col) {
            line += ' ' + padded(cellText(cells[col]), 3);
        }
        if (index == 0 && layer.cols > 0) {
            line += "  #";
            for (int32_t col = 0; col < layer.cols; ++col) {
                line += ' ' + padded(std::to_string(translateCell(level, cells[col])), 3);
            }
        }
        out << line << '\n';
    }
}

void writeHead(std::ostringstream& out, const LevelFile& level)
{
    out << "header" << hexBytes(level.header) << '\n';
    for (size_t i = 0; i < level.tileImages.size(); ++i) {
        out << "tile " << i << ' ' << level.tileImages[i] << '\n';
    }
    writeHexLines(out, "block1", level.block1);
    out << "reserved1" << hexBytes(level.reserved1) << '\n';
    out << "values " << level.value1 << ' ' << level.value2 << ' ' << level.value3 << ' '
        << level.value4 << ' ' << level.value5 << ' ' << level.value6 << '\n';
    for (const LevelChunkData& chunk : level.chunks) {
        out << "chunk" << hexBytes(chunk.head) << '\n';
        writeHexLines(out, "chunkdata", chunk.body);
    }
    writeRecords(out, "record2", level.records2, kRecordSize2);
    for (size_t i = 0; i < level.translations.size(); ++i) {
        out << "translation " << i << ' ' << level.translations[i].value
            << hexBytes(level.translations[i].reserved) << '\n';
    }
    const uint8_t reserved2[2] = {
        static_cast<uint8_t>(level.reserved2 & 0xFF),
        static_cast<uint8_t>(static_cast<uint16_t>(level.reserved2) >> 8)};
    out << "reserved2" << hexBytes(reserved2, 2) << '\n';
}

} // namespace

std::string levelToText(const LevelFile& level)
{
    std::ostringstream out;
    writeHead(out, level);
    writeLayer(out, level, 0);
    writeLayer(out, level, 1);
    for (const LevelBackgroundData& background : level.backgrounds) {
        out << "background " << background.x << ' ' << background.y << ' ' << background.xDivisor
            << ' ' << background.yDivisor << ' ' << int{background.image} << ' '
            << int{background.colorKey} << hexBytes(background.reserved) << '\n';
    }
    writeRecords(out, "record3", level.records3, kRecordSize3);
    writeRecords(out, "record4", level.records4, kRecordSize4);
    writeRecords(out, "record5", level.records5, kRecordSize5);
    out << "reserved3" << hexBytes(level.reserved3) << '\n';
    writeRecords(out, "record6", level.records6, kRecordSize6);
    writeRecords(out, "record7", level.records7, kRecordSize7);
    writeRecords(out, "record8", level.records8, kRecordSize8);
    writeLayer(out, level, 2);
    writeHexLines(out, "trailer", level.trailer);
    writeExtension(out, level.extension);
    return out.str();
}

namespace
{

struct ParseError {
    std::string message;
};

// Whitespace-separated words of one line, with the word position for messages. A word in
// double quotes holds any text, '#' and spaces included, with \" \\ \n and \xHH escapes;
// outside quotes '#' starts a comment.
class Words
{
public:
    explicit Words(const std::string& line)
    {
        size_t at = 0;
        while (true) {
            at = line.find_first_not_of(" \t\r\v\f", at);
            if (at == std::string::npos || line[at] == '#') {
                return;
            }
            if (line[at] == '"') {
                words.push_back(quoted(line, at));
                continue;
            }
            const size_t end = std::min(line.find_first_of(" \t\r\v\f#", at), line.size());
            words.push_back(line.substr(at, end - at));
            at = end;
        }
    }

    bool empty() const { return words.empty(); }
    const std::string& directive() const { return words[0]; }
    size_t left() const { return words.size() - next; }

    long number(long low, long high, const char* what)
    {
        const std::string& word = take(what);
        errno = 0;
        char* end = nullptr;
        const long value = std::strtol(word.c_str(), &end, 10);
        if (*end != '\0' || errno != 0 || value < low || value > high) {
            throw ParseError{std::string(what) + " must be a number from " + std::to_string(low) +
                             " to " + std::to_string(high) + ", not '" + word + "'"};
        }
        return value;
    }

    uint8_t byte()
    {
        const std::string& word = take("a hex byte");
        char* end = nullptr;
        const long value = std::strtol(word.c_str(), &end, 16);
        if (word.size() != 2 || *end != '\0' || word[0] == '-' || word[0] == '+') {
            throw ParseError{"'" + word + "' is not a two-digit hex byte"};
        }
        return static_cast<uint8_t>(value);
    }

    template <size_t N>
    void bytes(std::array<uint8_t, N>& out)
    {
        for (uint8_t& value : out) {
            value = byte();
        }
    }

    void appendRest(std::vector<uint8_t>& out)
    {
        while (left() > 0) {
            out.push_back(byte());
        }
    }

    // A cell: '.' for empty, else a byte in decimal.
    int16_t cell()
    {
        if (left() > 0 && words[next] == ".") {
            ++next;
            return kEmptyCell;
        }
        return static_cast<int16_t>(number(0, 255, "a cell"));
    }

    void end()
    {
        if (left() > 0) {
            throw ParseError{"unexpected '" + words[next] + "' after " + words[0]};
        }
    }

    const std::string& text(const char* what) { return take(what); }

    // NAME TYPE VALUE, the value checked for its type.
    Property property()
    {
        Property property;
        property.name = take("a property name");
        const std::string& type = take("a property type");
        const auto* known = std::find(std::begin(kPropertyTypes), std::end(kPropertyTypes), type);
        if (known == std::end(kPropertyTypes)) {
            throw ParseError{"unknown property type '" + type + "'"};
        }
        property.type = static_cast<Property::Type>(known - kPropertyTypes);
        property.value = take("a property value");
        const std::string why = propertyValueError(property);
        if (!why.empty()) {
            throw ParseError{"property " + property.name + " is not valid: " + why};
        }
        return property;
    }

private:
    static std::string quoted(const std::string& line, size_t& at)
    {
        std::string text;
        for (++at; at < line.size() && line[at] != '"'; ++at) {
            if (line[at] != '\\') {
                text += line[at];
                continue;
            }
            const char escape = at + 1 < line.size() ? line[++at] : '\0';
            if (escape == '"' || escape == '\\') {
                text += escape;
            } else if (escape == 'n') {
                text += '\n';
            } else if (escape == 'x' && at + 2 < line.size() &&
                       std::isxdigit(static_cast<unsigned char>(line[at + 1])) &&
                       std::isxdigit(static_cast<unsigned char>(line[at + 2]))) {
                text += static_cast<char>(std::stoi(line.substr(at + 1, 2), nullptr, 16));
                at += 2;
            } else {
                throw ParseError{"unknown escape in a quoted word"};
            }
        }
        if (at >= line.size()) {
            throw ParseError{"a quoted word does not end"};
        }
        ++at;
        return text;
    }

    const std::string& take(const char* what)
    {
        if (next >= words.size()) {
            throw ParseError{words[0] + ": missing " + what};
        }
        return words[next++];
    }

    std::vector<std::string> words;
    size_t next = 1;
};

class TextParser
{
public:
    explicit TextParser(LevelFile& level) : level(level) {}

    void parseLine(Words& words)
    {
        if (rowsLeft > 0) {
            parseRow(words);
            return;
        }
        const std::string& directive = words.directive();
        if (!parseDirective(directive, words)) {
            throw ParseError{"unknown directive '" + directive + "'"};
        }
        words.end();
    }

    // The checks that need the whole text.
    void finish(int& line)
    {
        if (rowsLeft > 0) {
            line = layerLines[layerIndex];
            throw ParseError{"layer " + std::to_string(layerIndex + 1) + " is missing " +
                             std::to_string(rowsLeft) + " rows"};
        }
        static const char* const required[] = {"header",    "reserved1", "values",  "reserved2",
                                               "reserved3", "layer 1",   "layer 2", "layer 3"};
        for (const char* name : required) {
            if (seen.find(std::string("|") + name + "|") == std::string::npos) {
                throw ParseError{std::string("missing '") + name + "'"};
            }
        }
        // Runs are only known once a layer is complete.
        for (int index = 0; index < 3; ++index) {
            std::vector<uint8_t> scratch;
            std::string message;
            if (!writeCellStream(level.layers[index], scratch, message)) {
                line = layerLines[index];
                throw ParseError{"layer " + std::to_string(index + 1) + ": " + message};
            }
        }
        for (auto& [tile, properties] : tileRecords) {
            level.extension.tiles.push_back({tile, std::move(properties)});
        }
        for (auto& [tile, animation] : animationRecords) {
            level.extension.animations.push_back(std::move(animation));
        }
        const std::string why = extensionError(level);
        if (!why.empty()) {
            throw ParseError{why};
        }
    }

    int lineNumber = 0;

private:
    // Directives given once; the rest may repeat and keep their order.
    void once(const std::string& name)
    {
        const std::string key = "|" + name + "|";
        if (seen.find(key) != std::string::npos) {
            throw ParseError{"'" + name + "' given twice"};
        }
        seen += key;
    }

    bool parseDirective(const std::string& directive, Words& words)
    {
        return parseFixed(directive, words) || parseList(directive, words) ||
               parseRecord(directive, words) || parseExtension(directive, words);
    }

    // The extension block's directives; what they give is checked as a whole by finish.
    bool parseExtension(const std::string& directive, Words& words)
    {
        LevelExtension& extension = level.extension;
        if (directive == "collisionlayer") {
            once(directive);
            extension.collisionLayer = static_cast<uint8_t>(words.number(1, 3, "the layer"));
        } else if (directive == "tileprop") {
            parseTileProperty(words);
        } else if (directive == "animation") {
            parseAnimation(words);
        } else if (directive == "object") {
            LevelObject object;
            object.id = static_cast<int32_t>(words.number(INT32_MIN, INT32_MAX, "the id"));
            object.name = words.text("the name");
            object.type = words.text("the type");
            for (int32_t* field : {&object.x, &object.y, &object.width, &object.height}) {
                *field = static_cast<int32_t>(words.number(INT32_MIN, INT32_MAX, "a position"));
            }
            object.tile = static_cast<int32_t>(words.number(-1, INT16_MAX - 1, "the tile"));
            if (object.tile >= 0) {
                checkTile(object.tile);
            }
            extension.objects.push_back(object);
        } else if (directive == "objectprop") {
            if (extension.objects.empty()) {
                throw ParseError{"objectprop before any object"};
            }
            LevelObject& object = extension.objects.back();
            addProperty(object.properties, words.property(), "object " + std::to_string(object.id));
        } else {
            return false;
        }
        return true;
    }

    // A tile number of the level's tiles, given before it.
    int16_t levelTile(Words& words, const char* what)
    {
        const long tile = words.number(0, INT16_MAX - 1, what);
        checkTile(tile);
        return static_cast<int16_t>(tile);
    }

    void checkTile(long tile) const
    {
        if (static_cast<size_t>(tile) >= level.tileImages.size()) {
            throw ParseError{"tile " + std::to_string(tile) + " is not one of the level's " +
                             std::to_string(level.tileImages.size()) + " tiles"};
        }
    }

    // In name order, each name once.
    static void addProperty(std::vector<Property>& list, Property property,
                            const std::string& owner)
    {
        const auto at =
            std::lower_bound(list.begin(), list.end(), property,
                             [](const Property& a, const Property& b) { return a.name < b.name; });
        if (at != list.end() && at->name == property.name) {
            throw ParseError{"property " + property.name + " of " + owner + " given twice"};
        }
        list.insert(at, std::move(property));
    }

    // tileprop TILE FLAG, or tileprop TILE NAME TYPE VALUE.
    void parseTileProperty(Words& words)
    {
        const int16_t tile = levelTile(words, "the tile");
        TileProperties& record = tileRecords[tile];
        const std::string owner = "tile " + std::to_string(tile);
        const std::pair<const char*, bool*> flags[] = {
            {"solid", &record.solid}, {"oneway", &record.oneway}, {"hazard", &record.hazard}};
        const auto flag = [&](const std::string& name) {
            const auto* found = std::find_if(std::begin(flags), std::end(flags),
                                             [&](const auto& f) { return name == f.first; });
            return found == std::end(flags) ? nullptr : found->second;
        };
        if (words.left() == 1) {
            const std::string& name = words.text("a flag");
            bool* set = flag(name);
            if (!set || *set) {
                throw ParseError{set ? "'" + name + "' given twice for " + owner
                                     : "'" + name + "' is not solid, oneway or hazard"};
            }
            *set = true;
            return;
        }
        Property property = words.property();
        if (flag(property.name)) {
            throw ParseError{property.name + " is a flag: 'tileprop " + std::to_string(tile) + " " +
                             property.name + "'"};
        }
        addProperty(record.custom, std::move(property), owner);
    }

    // animation TILE FRAME MILLISECONDS [FRAME MILLISECONDS ...]
    void parseAnimation(Words& words)
    {
        const int16_t tile = levelTile(words, "the tile");
        if (animationRecords.count(tile) > 0) {
            throw ParseError{"the animation of tile " + std::to_string(tile) + " given twice"};
        }
        LevelAnimationData& animation = animationRecords[tile];
        animation.tile = tile;
        do {
            const int16_t frame = levelTile(words, "a frame's tile");
            animation.frames.push_back(
                {frame, static_cast<int32_t>(words.number(0, INT32_MAX, "a frame's duration"))});
        } while (words.left() > 0);
    }

    // The directives given once, and layers and backgrounds, which have their own parsers.
    bool parseFixed(const std::string& directive, Words& words)
    {
        if (directive == "header") {
            once(directive);
            words.bytes(level.header);
        } else if (directive == "reserved1") {
            once(directive);
            words.bytes(level.reserved1);
        } else if (directive == "values") {
            once(directive);
            parseValues(words);
        } else if (directive == "reserved2") {
            once(directive);
            const uint8_t low = words.byte();
            const uint8_t high = words.byte();
            level.reserved2 = static_cast<int16_t>(static_cast<uint16_t>(low | high << 8));
        } else if (directive == "reserved3") {
            once(directive);
            words.bytes(level.reserved3);
        } else if (directive == "layer") {
            parseLayer(words);
        } else if (directive == "background") {
            parseBackground(words);
        } else {
            return false;
        }
        return true;
    }

    // Directives that add to a list or a run of bytes.
    bool parseList(const std::string& directive, Words& words)
    {
        if (directive == "tile") {
            expectIndex(words, level.tileImages.size(), INT16_MAX, "tile");
            level.tileImages.push_back(static_cast<int16_t>(words.number(-32768, 32767, "image")));
        } else if (directive == "block1") {
            words.appendRest(level.block1);
            limit(level.block1.size(), UINT8_MAX, "block1 bytes");
        } else if (directive == "chunk") {
            limit(level.chunks.size() + 1, UINT8_MAX, "chunks");
            level.chunks.emplace_back();
            words.bytes(level.chunks.back().head);
        } else if (directive == "chunkdata") {
            if (level.chunks.empty()) {
                throw ParseError{"chunkdata before any chunk"};
            }
            words.appendRest(level.chunks.back().body);
        } else if (directive == "translation") {
            expectIndex(words, level.translations.size(), INT16_MAX, "translation");
            LevelTranslationData entry;
            entry.value = static_cast<int32_t>(words.number(INT32_MIN, INT32_MAX, "value"));
            words.bytes(entry.reserved);
            level.translations.push_back(entry);
        } else if (directive == "trailer") {
            words.appendRest(level.trailer);
        } else {
            return false;
        }
        return true;
    }

    bool parseRecord(const std::string& directive, Words& words)
    {
        struct Kind {
            const char* name;
            std::vector<uint8_t> LevelFile::*records;
            size_t size;
            size_t most; // the widest count its field can hold
        };
        static const Kind kinds[] = {
            {"record2", &LevelFile::records2, kRecordSize2, UINT8_MAX},
            {"record3", &LevelFile::records3, kRecordSize3, INT16_MAX},
            {"record4", &LevelFile::records4, kRecordSize4, INT16_MAX},
            {"record5", &LevelFile::records5, kRecordSize5, INT16_MAX},
            {"record6", &LevelFile::records6, kRecordSize6, UINT8_MAX},
            {"record7", &LevelFile::records7, kRecordSize7, UINT8_MAX},
            {"record8", &LevelFile::records8, kRecordSize8, INT32_MAX},
        };
        for (const Kind& kind : kinds) {
            if (directive == kind.name) {
                std::vector<uint8_t>& records = level.*kind.records;
                limit(records.size() / kind.size + 1, kind.most, kind.name);
                for (size_t i = 0; i < kind.size; ++i) {
                    records.push_back(words.byte());
                }
                return true;
            }
        }
        return false;
    }

    static void limit(size_t count, size_t most, const char* what)
    {
        if (count > most) {
            throw ParseError{std::string("more than ") + std::to_string(most) + " " + what};
        }
    }

    void expectIndex(Words& words, size_t expected, size_t most, const char* what)
    {
        limit(expected + 1, most, (std::string(what) + "s").c_str());
        const long index = words.number(0, INT32_MAX, "the index");
        if (static_cast<size_t>(index) != expected) {
            throw ParseError{std::string(what) + " " + std::to_string(index) + " out of order (" +
                             std::to_string(expected) + " expected)"};
        }
    }

    void parseValues(Words& words)
    {
        level.value1 = static_cast<int32_t>(words.number(INT32_MIN, INT32_MAX, "value 1"));
        level.value2 = static_cast<int32_t>(words.number(INT32_MIN, INT32_MAX, "value 2"));
        level.value3 = static_cast<int16_t>(words.number(-32768, 32767, "value 3"));
        level.value4 = static_cast<int16_t>(words.number(-32768, 32767, "value 4"));
        level.value5 = static_cast<int16_t>(words.number(-32768, 32767, "value 5"));
        level.value6 = static_cast<int16_t>(words.number(-32768, 32767, "value 6"));
    }

    void parseLayer(Words& words)
    {
        layerIndex = static_cast<int>(words.number(1, 3, "the layer number")) - 1;
        once("layer " + std::to_string(layerIndex + 1));
        layerLines[layerIndex] = lineNumber;
        LevelLayerData& layer = level.layers[layerIndex];
        layer.cols = static_cast<int16_t>(words.number(0, 32767, "the width"));
        layer.rows = static_cast<int16_t>(words.number(0, 32767, "the height"));
        const int64_t cells = int64_t{layer.cols} * layer.rows;
        if (cells > kMaxLayerCells) {
            throw ParseError{"layer of " + std::to_string(cells) + " cells is larger than " +
                             std::to_string(kMaxLayerCells)};
        }
        layer.cells.clear();
        layer.cells.reserve(static_cast<size_t>(cells));
        rowsLeft = layer.rows;
    }

    void parseRow(Words& words)
    {
        if (words.directive() != "|") {
            throw ParseError{"expected a row of layer " + std::to_string(layerIndex + 1) +
                             " starting with '|'"};
        }
        LevelLayerData& layer = level.layers[layerIndex];
        if (words.left() != static_cast<size_t>(layer.cols)) {
            throw ParseError{"row has " + std::to_string(words.left()) + " cells, not " +
                             std::to_string(layer.cols)};
        }
        for (int32_t col = 0; col < layer.cols; ++col) {
            layer.cells.push_back(words.cell());
        }
        --rowsLeft;
    }

    void parseBackground(Words& words)
    {
        limit(level.backgrounds.size() + 1, UINT8_MAX, "backgrounds");
        LevelBackgroundData background;
        background.x = static_cast<int32_t>(words.number(INT32_MIN, INT32_MAX, "x"));
        background.y = static_cast<int32_t>(words.number(INT32_MIN, INT32_MAX, "y"));
        background.xDivisor = static_cast<int16_t>(words.number(-32768, 32767, "x divisor"));
        background.yDivisor = static_cast<int16_t>(words.number(-32768, 32767, "y divisor"));
        background.image = static_cast<uint8_t>(words.number(0, 255, "image"));
        background.colorKey = static_cast<uint8_t>(words.number(0, 255, "colour key"));
        words.bytes(background.reserved);
        level.backgrounds.push_back(background);
    }

    LevelFile& level;
    std::map<int16_t, TileProperties> tileRecords;          // in tile order
    std::map<int16_t, LevelAnimationData> animationRecords; // in tile order
    std::string seen;
    int layerIndex = 0;
    int layerLines[3] = {};
    int32_t rowsLeft = 0;
};

} // namespace

bool levelFromText(const std::string& text, LevelFile& level, int& errorLine, std::string& message)
{
    TextParser parser(level);
    std::istringstream in(text);
    std::string line;
    int lineNumber = 0;
    try {
        while (std::getline(in, line)) {
            ++lineNumber;
            Words words(line);
            if (words.empty()) {
                continue;
            }
            parser.lineNumber = lineNumber;
            parser.parseLine(words);
        }
        parser.finish(lineNumber);
    } catch (const ParseError& error) {
        errorLine = lineNumber;
        message = error.message;
        return false;
    }
    return true;
}

} // namespace tarvo
