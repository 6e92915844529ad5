// Tiled maps to levels: every bad map is reported at the member at fault, in its own file, and
// a parallax factor that is not 10 / n compiles with a warning.
#include "support/gamedir.h"
#include "tarvo/video/pngfile.h"
#include "tiles/tiledmap.h"

#include <gtest/gtest.h>

using namespace tarvo;

namespace
{

std::string edit(std::string text, const std::string& from, const std::string& to)
{
    const size_t at = text.find(from);
    return at == std::string::npos ? "(no " + from + ")" : text.replace(at, from.size(), to);
}

const std::string kMap = R"(<?xml version="1.0"?>
<map orientation="orthogonal" tilewidth="24" tileheight="24" infinite="0">
 <tileset firstgid="1" name="set" tilewidth="24" tileheight="24" tilecount="2" columns="0">
  <tile id="0"><image source="TILE0001.PNG"/></tile><tile id="1"><image source="TILE0002.PNG"/></tile>
 </tileset>
 <imagelayer id="1" name="sky" parallaxx="0.5"><image source="BG0001.PNG"/></imagelayer>
 <layer id="2" name="first" width="2" height="1"><data encoding="csv">1,2</data></layer>
</map>
)";
// sheet.png holds 2 x 2 tiles, without margin or spacing.
const std::string kCutMap = edit(
    kMap, kMap.substr(kMap.find("tilecount"), kMap.find("</tileset>") - kMap.find("tilecount")),
    R"(tilecount="2" columns="2" margin="0" spacing="0"><image source="sheet.png"/>)");
const std::string kJsonMap = R"({"orientation": "orthogonal", "tilewidth": 24, "tileheight": 24,
 "tilesets": [{"firstgid": 1, "tiles": [{"id": 0, "image": "TILE0001.PNG"},
                                        {"id": 1, "image": "TILE0002.PNG"}]}],
 "layers": [{"type": "imagelayer", "name": "sky", "image": "BG0001.PNG", "parallaxx": 0.5},
            {"type": "tilelayer", "name": "first", "width": 2, "height": 1, "data": [1, 2]}]})";

// An object layer in TMX holding object 4 with more attributes and an element, and in JSON
// before the other layers with more members.
std::string objectLayer(const std::string& element, const std::string& attributes = "")
{
    return R"(<objectgroup id="3"><object id="4" x="0" y="0" )" + attributes + ">" + element +
           "</object></objectgroup></map>";
}

std::string jsonObject(const std::string& members)
{
    return R"("layers": [{"type": "objectgroup", "objects": [{"id": 4, )" + members + "}]}, ";
}

TiledLevel compile(const std::string& path)
{
    TiledLevel level;
    levelFromTiledMap(readTiledMap(path), true, level);
    return level;
}

TEST(TiledLevel, EachBadMapIsReportedAtTheMemberAtFault)
{
    const std::string deep = std::string(100000, '[') + std::string(100000, ']');
    const std::string huge = "9223372036854775807";
    const struct {
        const char* name;
        const std::string& map; // saved as map.tmx, cut.tmx or map.TMJ
        std::string from;
        std::string to;
        std::string report; // after the folder
    } rows[] = {
        {"margin past the image", kCutMap, R"(margin="0")", "margin=\"" + huge + '"',
         "cut.tmx:3: tile 0 lies outside the tileset image"},
        {"spacing past the image", kCutMap, R"(spacing="0")", "spacing=\"" + huge + '"',
         "cut.tmx:3: tile 1 lies outside the tileset image"},
        {"whole number as text", kJsonMap, R"("width": 2)", R"("width": "2")",
         "map.TMJ: /layers/1/width: expected a whole number"},
        {"gid in no tileset", kJsonMap, "[1, 2]", "[1, 9]",
         "map.TMJ: /layers/1/data: gid 9 is in no tileset"},
        // Unquoted, tilesets reads as the start of true until its i.
        {"JSON syntax", kJsonMap, R"("tilesets")", R"(tilesets")",
         "map.TMJ: byte " + std::to_string(kJsonMap.find(R"("tilesets")") + 2) + ": syntax error"},
        {"number past a double", kJsonMap, R"("height": 1)", R"("height": -1e400)",
         "map.TMJ: byte " + std::to_string(kJsonMap.find(R"("height": 1)") + 16) +
             ": number out of range"},
        {"property nested deep", kJsonMap, R"("tilesets")",
         R"("properties": [{"name": "deep", "value": )" + deep + R"(}], "tilesets")",
         "map.TMJ: /properties/0/value: property deep is not valid: not a string, number or "
         "boolean"},
        {"infinite map in chunks", kJsonMap, R"("data": [1, 2]}])",
         R"("chunks": [{"x": 0, "y": 0, "width": 2, "height": 1, "data": [1, 2]}]}], "infinite": true)",
         "map.TMJ: /infinite: infinite maps are not supported"},
        {"tile height", kJsonMap, R"("tileheight": 24)", R"("tileheight": 16)",
         "map.TMJ: /tileheight: tile size 24x16 is not 24x24"},
        {"layer height", kJsonMap, R"("height": 1)", R"("height": 32768)",
         "map.TMJ: /layers/1/height: layer 1 is wider or higher than 32767"},
        {"fractional y offset", kJsonMap, R"("parallaxx")", R"("offsety": 1.5, "parallaxx")",
         "map.TMJ: /layers/0/offsety: image layer \"sky\" has a fractional offset"},
        {"y offset past 32 bits", kJsonMap, R"("parallaxx")",
         R"("offsety": -2147483649, "parallaxx")",
         "map.TMJ: /layers/0/offsety: image layer \"sky\" has an offset beyond 32 bits"},
        {"tiny y factor", kJsonMap, R"("parallaxx")", R"("parallaxy": 0.0003, "parallaxx")",
         "map.TMJ: /layers/0/parallaxy: image layer \"sky\" has a parallax factor below 10 / "
         "32767"},
        {"member of an external tileset", kJsonMap, R"("tiles")",
         R"("source": "sheet.tsj", "tiles")",
         "sheet.tsj: /tileheight: tile size 24x16 is not 24x24"},
        {"base64 torn into whole cells", kJsonMap, "[1, 2]",
         R"("AQAAAAIAAAA", "encoding": "base64")",
         "map.TMJ: /layers/1/data: layer 1: base64 data is not a multiple of 4 characters"},
        {"factor above 20", kMap, R"(parallaxx="0.5")", R"(parallaxx="20.5")",
         "map.tmx:6: image layer \"sky\" has a parallax factor above 20"},
        {"factor below -20", kMap, R"(parallaxx="0.5")", R"(parallaxx="-21")",
         "map.tmx:6: image layer \"sky\" has a parallax factor below -20"},
        {"hidden image layer", kMap, R"(name="sky")", R"(name="sky" visible="0")",
         "map.tmx:6: image layer \"sky\" is hidden"},
        {"image layer opacity", kMap, R"(name="sky")", R"(name="sky" opacity="0.5")",
         "map.tmx:6: image layer \"sky\" has opacity or a tint"},
        {"image layer tint", kJsonMap, R"("parallaxx")", R"("tintcolor": "#ff0000", "parallaxx")",
         "map.TMJ: /layers/0/tintcolor: image layer \"sky\" has opacity or a tint"},
        {"tile offset", kMap, "<tile id=\"0\">", "<tileoffset x=\"0\" y=\"4\"/><tile id=\"0\">",
         "map.tmx:3: tileset \"set\" has a tile offset"},
        {"stored cells against the tiles", kMap, "<data",
         R"(<properties><property name="cells" value="1 1"/></properties><data)",
         "map.tmx:7: property cells does not match the layers"},
        {"polygon", kMap, "</map>", objectLayer(R"(<polygon points="0,0 1,1"/>)"),
         "map.tmx:8: object 4: polygons are not supported"},
        {"polyline", kJsonMap, R"("layers": [)", jsonObject(R"("polyline": [])"),
         "map.TMJ: /layers/0/objects/0/polyline: object 4: polylines are not supported"},
        {"text", kMap, "</map>", objectLayer("<text>hi</text>"),
         "map.tmx:8: object 4: text objects are not supported"},
        {"rotated", kJsonMap, R"("layers": [)", jsonObject(R"("rotation": 90)"),
         "map.TMJ: /layers/0/objects/0/rotation: object 4: rotated objects are not supported"},
        {"flipped", kMap, "</map>", objectLayer("", R"(gid="2147483649")"),
         "map.tmx:8: object 4: flipped objects are not supported"},
        {"fractional", kJsonMap, R"("layers": [)", jsonObject(R"("y": 0.5)"),
         "map.TMJ: /layers/0/objects/0/y: object 4 has a fractional position or size"},
        {"colour property", kMap, "</map>",
         objectLayer(R"(<properties><property name="tint" type="color" value="#ff0000"/>)"
                     "</properties>"),
         "map.tmx:8: property tint is not valid: type color is not supported"},
        {"file property of a tile", kJsonMap, R"({"id": 0, )",
         R"({"id": 0, "properties": [{"name": "f", "type": "file", "value": "a.png"}], )",
         "map.TMJ: /tilesets/0/tiles/0/properties/0/type: property f is not valid: type file is "
         "not supported"},
        {"flag not a bool", kMap, R"(<tile id="0">)",
         R"(<tile id="0"><properties><property name="solid" value="yes"/></properties>)",
         "map.tmx:4: property solid is not valid: not a bool"},
        {"frame past the tiles", kJsonMap, R"({"id": 0, )",
         R"({"id": 0, "animation": [{"tileid": 5, "duration": 10}], )",
         "map.TMJ: /tilesets/0/tiles/0/animation/0/tileid: animation frame tile 5 is not in the "
         "tileset"},
        {"trailer beside an animation", kJsonMap, R"("tilesets": [{"firstgid": 1, "tiles": [{)",
         R"("properties": [{"name": "trailer", "value": "01"}], "tilesets": [{"firstgid": 1,
            "tiles": [{"animation": [{"tileid": 1, "duration": 10}], )",
         "map.TMJ: /properties/0: property trailer cannot be used with objects, tile "
         "properties or animations"},
    };
    const TempDir dir;
    const std::vector<uint8_t> sheet(48 * 48 * 4, 0x80);
    ASSERT_TRUE(writePng(dir.file("sheet.png"), sheet.data(), 48, 48, 4));
    dir.write("sheet.tsj",
              R"({"tilewidth": 24, "tileheight": 16, "tilecount": 1, "image": "sheet.png"})");
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const char* file = &row.map == &kJsonMap ? "map.TMJ"
                           : &row.map == &kMap   ? "map.tmx"
                                                 : "cut.tmx";
        try {
            compile(dir.write(file, edit(row.map, row.from, row.to)));
            ADD_FAILURE() << "compiled";
        } catch (const TiledError& error) {
            EXPECT_EQ(error.message, dir.path + "/" + row.report);
        }
    }
}

TEST(TiledLevel, PropertiesAreKeptInNameOrderAsTiledWroteThem)
{
    const TempDir dir;
    const TiledLevel level = compile(dir.write(
        "map.tmx",
        edit(edit(kMap, R"(<tile id="1">)",
                  R"(<tile id="1"><properties><property name="z" type="float" value="0.50"/>
                  <property name="a" type="int" value="+5"/><property name="solid" type="bool"
                  value="false"/><property name="m" type="bool" value="true"/></properties>)"),
             "</map>",
             R"(<objectgroup><object id="9" class="door" x="1" y="2"/></objectgroup></map>)")));
    const LevelExtension& extension = level.level.extension;
    ASSERT_EQ(extension.tiles.size(), 1u);
    EXPECT_EQ(extension.tiles[0].tile, 1);
    EXPECT_FALSE(extension.tiles[0].properties.solid);
    std::string kept;
    for (const Property& property : extension.tiles[0].properties.custom) {
        kept += property.name + "=" + property.value + " ";
    }
    EXPECT_EQ(kept, "a=5 m=true z=0.50 ");
    ASSERT_EQ(extension.objects.size(), 1u);
    EXPECT_EQ(extension.objects[0].type, "door");
}

TEST(TiledLevel, CellsShowingTheTileOfEntryZeroBecomeRuns)
{
    const TempDir dir;
    // Entry 0 holds tile 1 and entry 1 tile 0: the cells show tiles 0 and 1.
    const TiledLevel level = compile(dir.write(
        "map.tmx",
        edit(kMap, "<data",
             R"(<properties><property name="translation" value="1 0"/></properties><data)")));
    EXPECT_EQ(level.level.layers[0].cells, (std::vector<int16_t>{1, kEmptyCell}));
}

TEST(TiledLevel, FactorsNotTenOverNAreRoundedHalfAwayFromZeroWithAWarning)
{
    const struct {
        const char* name;
        const char* factor;
        int16_t divisor;
        const char* warning; // after "MAP: warning: image layer "sky": parallax factor "
    } rows[] = {
        {"exact", "0.5", 20, ""},
        {"a third as Tiled writes it", "0.333333", 30, ""},
        {"the int16 end", "-0.000305176", -32768, ""},
        {"not exact", "0.3", 33, "0.3 is not 10/n; using 10/33"},
        {"half up", "4", 3, "4 is not 10/n; using 10/3"},
        {"half down", "-4", -3, "-4 is not 10/n; using 10/-3"},
        {"the largest", "20", 1, "20 is not 10/n; using 10/1"},
    };
    const TempDir dir;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string path =
            dir.write("map.tmx", edit(kMap, R"(parallaxx="0.5")",
                                      "parallaxx=\"" + std::string(row.factor) + '"'));
        const TiledLevel level = compile(path);
        ASSERT_EQ(level.level.backgrounds.size(), 1u);
        EXPECT_EQ(level.level.backgrounds[0].xDivisor, row.divisor);
        const std::string warning = path + ": warning: image layer \"sky\": parallax factor ";
        EXPECT_EQ(level.warnings, *row.warning ? std::vector<std::string>{warning + row.warning}
                                               : std::vector<std::string>{});
    }
}

} // namespace
