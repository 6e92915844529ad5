// Property values read as numbers and flags whatever type Tiled gave them.
#include "tarvo/tiles/properties.h"

#include <gtest/gtest.h>

using namespace tarvo;

namespace
{

TEST(PropertyTest, ValuesReadAsEachOtherType)
{
    using Type = Property::Type;
    const struct {
        const char* name;
        Type type;
        const char* value;
        int asInt;
        double asFloat;
        bool asBool;
    } rows[] = {
        {"negative int", Type::Int, "-7", -7, -7, true},
        {"zero int", Type::Int, "0", 0, 0, false},
        {"float truncated toward zero", Type::Float, "-2.75", -2, -2.75, true},
        {"float past the int range", Type::Float, "1e12", 2147483647, 1e12, true},
        {"small float", Type::Float, "0.25", 0, 0.25, true},
        {"true", Type::Bool, "true", 1, 1, true},
        {"false", Type::Bool, "false", 0, 0, false},
        {"string's leading number", Type::String, "12 coins", 12, 12, false},
        {"string true", Type::String, "true", 0, 0, true},
        {"string past the int range", Type::String, "-99999999999", -2147483647 - 1, -99999999999,
         false},
    };
    for (const auto& row : rows) {
        const Property property{"p", row.type, row.value};
        EXPECT_EQ(property.asInt(), row.asInt) << row.name;
        EXPECT_EQ(property.asFloat(), row.asFloat) << row.name;
        EXPECT_EQ(property.asBool(), row.asBool) << row.name;
    }
}

} // namespace
