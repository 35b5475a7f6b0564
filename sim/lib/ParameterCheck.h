// The consistency check a controller runs on "bp" before it computes with its parameters.
#pragma once

#include "FactoryDefaults.h"

#include <array>
#include <cstdint>

namespace km4x {

using ParameterTable = std::array<int32_t, ParameterCount>;

// -1 when the set is usable, otherwise the number of the first parameter outside its range.
// Only the parameters whose meaning the controller itself depends on are checked: decimals,
// the linearisation switch, the analogue output mode and the input/output function choices.
int CheckParameters(const ParameterTable& parameters);

} // namespace km4x
