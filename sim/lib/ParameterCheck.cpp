#include "ParameterCheck.h"

#include <cstddef>

namespace km4x {

namespace {

struct Range {
    int first;
    int last;
    int32_t min;
    int32_t max;
};

constexpr Range kRanges[] = {
    {200, 200, 0, 2},  // K0 use (hold/reset)
    {201, 201, 0, 2},  // encoder kind
    {203, 203, 0, 6},  // decimals of the position
    {218, 218, 0, 4},  // SSI adjustment
    {246, 246, 0, 1},  // linearisation on/off
    {248, 248, 0, 6},  // decimals of the linearised position
    {249, 254, 0, 31}, // functions of inputs 1..6
    {388, 388, 0, 2},  // analogue output: none, voltage, current
    {389, 397, 0, 31}, // functions of outputs 1..9
};

} // namespace

int CheckParameters(const ParameterTable& parameters)
{
    for (const Range& range : kRanges)
        for (int n = range.first; n <= range.last; ++n) {
            const int32_t value = parameters[static_cast<size_t>(n)];
            if (value < range.min || value > range.max)
                return n;
        }
    return -1;
}

} // namespace km4x
