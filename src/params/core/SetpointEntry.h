#pragma once
// A value typed into the setpoint editor's grid. Every setpoint has the decimals of parameter 203.

#include <cstdint>
#include <string_view>

inline constexpr int32_t SetpointEntryMin = -9999999; // seven nines
inline constexpr int32_t SetpointEntryMax = 99999999; // eight nines

// The character a typed key puts into the cell, or 0 when the key is dropped: digits, backspace,
// Enter, "-" once, and "," once when setpoints have decimals ("." is typed as ",").
char FilterSetpointKey(std::string_view CellText, char Key, int32_t PositionDecimals);

// The cell's text on Enter: ParseFixed with PositionDecimals decimals, negatives allowed, within
// SetpointEntryMin..SetpointEntryMax; ParseFormatError or ParseRangeError when refused.
int32_t ParseSetpointEntry(std::string_view Text, int32_t PositionDecimals);
