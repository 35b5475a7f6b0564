#pragma once
// How a parameter's value is shown (parameter editor, printouts, views, main window labels): the
// value formatted with the catalogue's raw "dec", and for an option parameter the option text of
// the value, or "########" when the value is no index of its option list.

#include <cstdint>
#include <string>
#include <vector>

#include "app/core/Global_var.h"

inline constexpr char NoOptionText[] = "########";

// options[value], or "########" when value lies outside 0 .. size - 1 (an empty list included).
std::string OptionText(const std::vector<std::string>& options, int32_t value);

// FormatFixed(dec of n, ParameterValues[n]); "" for a number outside 0..399.
std::string ParameterValueText(int n);

// For a parameter of type 1 the option text of its current value (or "########"); "" for other
// types, undefined parameters and numbers outside 0..399.
std::string ParameterOptionText(int n);

// The record the single-parameter dialog edits, for parameter n: Number "%3.3d", Name in the
// current language, the current value, min, max and default formatted with the raw "dec".
TSelectedParameter SelectedParameterOf(int n);
