#include "app/core/Functies.h"

#include <algorithm>
#include <charconv>

#include "app/core/Global_var.h"

std::string FormatFixed(int32_t Decimals, int32_t Value) {
  if (Decimals == DecimalsOfPosition) Decimals = ParameterValues[203];
  if (Decimals == DecimalsOfLinPosition) Decimals = ParameterValues[248];

  // Magnitude in 64 bits: the smallest 32-bit value has no positive counterpart.
  const int64_t wide = Value;
  const bool negative = wide < 0;
  char digits[24];
  const auto end = std::to_chars(digits, digits + sizeof digits, negative ? -wide : wide).ptr;
  const std::string_view magnitude(digits, static_cast<std::size_t>(end - digits));

  if (Decimals < 1) {
    // Appended, not `"-" + text`: GCC 12 warns about that at -O3 (-Wrestrict).
    std::string text = negative ? "-" : "";
    text += magnitude;
    return text;
  }

  const auto decimals = static_cast<std::size_t>(std::min(Decimals, MaxFormatDecimals));
  // At least one digit in front of the comma: pad with zeros to decimals + 1 digits.
  const std::size_t width = std::max(magnitude.size(), decimals + 1);
  std::string text;
  text.reserve(width + 2);
  if (negative) text += '-';
  text.append(width - magnitude.size(), '0');
  text += magnitude;
  text.insert(text.size() - decimals, 1, ',');
  return text;
}

int32_t ParseFixed(std::string_view Text, int32_t Decimals, bool AllowNegative, int32_t Min,
                   int32_t Max) {
  // An accepted text has at most nine characters once the comma is removed, so the working copy
  // never needs more than this; anything longer is a format error before it is built.
  constexpr std::size_t MaxChars = 9;

  if (Text.empty() || Text == "," || Text == "-") return ParseFormatError;
  for (const char c : Text) {
    if (!((c >= '0' && c <= '9') || c == ',' || c == '-')) return ParseFormatError;
  }

  const std::size_t commas = static_cast<std::size_t>(std::count(Text.begin(), Text.end(), ','));
  const std::size_t comma = Text.find(',');
  std::size_t afterComma = 0;
  if (Decimals == 0) {
    if (commas > 0) return ParseFormatError;
  } else {
    if (commas >= 2) return ParseFormatError;
    if (commas == 1) {
      afterComma = Text.size() - comma - 1;
      if (static_cast<int64_t>(afterComma) > Decimals) return ParseFormatError;
    }
  }
  // A comma is appended when Decimals > 0 and there is none; the zeros fill the decimals up.
  const bool hasComma = commas == 1 || Decimals > 0;
  const int64_t zeros64 = hasComma ? std::max<int64_t>(0, int64_t{Decimals} - int64_t(afterComma)) : 0;
  // Every later failure before the length check is a format error too, so deciding here on the
  // final length gives the same result without building an oversized copy.
  if (uint64_t(Text.size() - commas) + uint64_t(zeros64) > MaxChars) return ParseFormatError;
  const auto zeros = static_cast<std::size_t>(zeros64);

  const std::size_t minus = static_cast<std::size_t>(std::count(Text.begin(), Text.end(), '-'));
  if (!AllowNegative) {
    if (minus > 0) return ParseFormatError;
  } else if (minus >= 2 || (minus == 1 && Text.front() != '-')) {
    return ParseFormatError;
  }

  char buffer[MaxChars];
  std::size_t length = 0;
  for (const char c : Text) {
    if (c != ',') buffer[length++] = c;
  }
  std::fill_n(buffer + length, zeros, '0');
  length += zeros;

  const bool negative = length > 0 && buffer[0] == '-';
  int32_t value = 0;
  const char* first = buffer + (negative ? 1 : 0);
  if (first == buffer + length) return ParseFormatError;  // a sign without digits
  // At most nine digits: no overflow possible.
  for (const char* p = first; p != buffer + length; ++p) value = value * 10 + (*p - '0');
  if (negative) value = -value;

  if (value < Min || value > Max) return ParseRangeError;
  return value;
}
