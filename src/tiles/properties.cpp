// Property values read as numbers and flags, whatever type Tiled gave them.
#include "tarvo/tiles/properties.h"

#include <climits>
#include <cmath>
#include <cstdlib>

namespace tarvo
{

namespace
{

int clampedInt(double value)
{
    if (std::isnan(value)) {
        return 0;
    }
    return value >= INT_MAX ? INT_MAX : value <= INT_MIN ? INT_MIN : static_cast<int>(value);
}

} // namespace

int Property::asInt() const
{
    switch (type) {
    case Type::Float:
        return clampedInt(asFloat());
    case Type::Bool:
        return asBool() ? 1 : 0;
    default: {
        // strtoll saturates at the long long range, which the clamp then narrows.
        const long long number = std::strtoll(value.c_str(), nullptr, 10);
        return number >= INT_MAX ? INT_MAX : number <= INT_MIN ? INT_MIN : static_cast<int>(number);
    }
    }
}

double Property::asFloat() const
{
    if (type == Type::Bool) {
        return asBool() ? 1 : 0;
    }
    return std::strtod(value.c_str(), nullptr);
}

bool Property::asBool() const
{
    if (type == Type::Int || type == Type::Float) {
        return asFloat() != 0;
    }
    return value == "true";
}

} // namespace tarvo
