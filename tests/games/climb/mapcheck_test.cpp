// The map checks' messages, as `--check-map` and `-level` print them.
#include "mapcheck.h"
#include "testmap.h"

#include <gtest/gtest.h>

using climbtest::object;

TEST(MapCheck, NamesTheFirstFault)
{
    struct Row {
        const char* name;
        std::vector<tarvo::LevelObject> objects;
        const char* message;
    };
    tarvo::LevelObject spike = object(7, "spike", 0, 0);
    spike.place = "climb.tmx:31";
    const Row rows[] = {
        {"a good map", {object(1, "start", 0, 0), object(2, "coin", 24, 0)}, ""},
        {"unknown type",
         {object(1, "start", 0, 0), spike},
         "climb.tmx:31: object 7: unknown type \"spike\""},
        {"coin in a wall",
         {object(1, "start", 0, 0), object(4, "coin", 40, 30)},
         "test.level: object 4: coin inside a solid tile"},
        {"no start", {object(2, "coin", 24, 0)}, "test.level: no player start"},
    };
    for (const Row& row : rows) {
        const auto map = climbtest::makeMap({"....", "..##"}, row.objects);
        EXPECT_EQ(climb::checkMap(*map, "test.level"), row.message) << row.name;
    }
}
