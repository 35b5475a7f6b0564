#pragma once
// The function labels beside the input and output lamps, worked out from the parameters.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace device {

// Parameter of the function of input 1..6 (249..254) and output 1..9 (389..397).
constexpr int InputFunctionParameter(int input) { return 248 + input; }
constexpr int OutputFunctionParameter(int output) { return 388 + output; }

// The option the parameter value selects, or "########" when the value is no index into the list.
std::string FunctionOptionText(const std::vector<std::string>& options, std::int32_t value);

// What input K0 does, decided by parameters 200, 201, 212 and 218.
enum class K0Function { HoldReset, RefFijn, SSIJustage, Inactief };
K0Function K0FunctionOf(const std::array<std::int32_t, 400>& parameterValues);

} // namespace device
