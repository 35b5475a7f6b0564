#pragma once
// Whole numbers to and from text with a decimal comma. The controller exchanges every value as a
// whole number in units of its last decimal: 12,34 with two decimals travels as 1234.

#include <cstdint>
#include <string>
#include <string_view>

// Decimals selectors of FormatFixed: as many decimals as parameter 203 (position) or 248
// (linearised position) currently holds.
constexpr int32_t DecimalsOfPosition = 9;
constexpr int32_t DecimalsOfLinPosition = 10;

// Error results of ParseFixed. No accepted text reaches them: it has at most nine characters.
constexpr int32_t ParseFormatError = 2000000001;
constexpr int32_t ParseRangeError = 2000000002;

// More decimals than this only add leading zeros to any 32-bit value; FormatFixed treats a larger
// count (a corrupt parameter 203 or 248) as this many, so the text stays short.
constexpr int32_t MaxFormatDecimals = 20;

// Value as text with Decimals decimals after a comma ("-0,05" for 2, -5). Decimals 9 and 10 are
// replaced by parameters 203 and 248 (in that order, so 203 holding 10 leads on to 248); fewer
// than 1 decimal gives the plain integer.
std::string FormatFixed(int32_t Decimals, int32_t Value);

// Text typed by the user to a whole number in units of the last decimal, checked against
// Min..Max (both included). Only digits, one "," and (if AllowNegative) one leading "-" are
// accepted, with at most Decimals digits after the comma. Returns ParseFormatError or
// ParseRangeError for bad input; never throws. Decimals is used as given (9 and 10 are not mapped).
int32_t ParseFixed(std::string_view Text, int32_t Decimals, bool AllowNegative, int32_t Min,
                   int32_t Max);
