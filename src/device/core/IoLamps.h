#pragma once
// The input and output lamps: which lamp a bit of the "ri" or "ru" value lights.
#include <array>
#include <string_view>

namespace device {

constexpr int InputLampCount = 7;  // K0 and inputs 1..6: bits 0..6 of "ri"
constexpr int OutputLampCount = 9; // outputs 1..9: bits 0..8 of "ru"

// Lamp i is on when bit i of the value is set; a value that is no number puts every lamp off.
// Higher bits are not looked at.
std::array<bool, InputLampCount> InputLamps(std::string_view valueText);
std::array<bool, OutputLampCount> OutputLamps(std::string_view valueText);

} // namespace device
