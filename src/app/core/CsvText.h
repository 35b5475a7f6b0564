#pragma once
// Comma-separated values as spreadsheets read and write them: a field with a comma, double quote or
// line break is quoted, inner quotes doubled.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

std::string CsvField(const std::string& Text);
// The fields joined into one line (without its line end).
std::string CsvLine(const std::vector<std::string>& Fields);
// The fields of one line; nullopt when a quoted field is not closed or is followed by anything but
// the separator (a spreadsheet set to a language with the decimal comma separates with ';').
std::optional<std::vector<std::string>> SplitCsvLine(std::string_view Line, char Separator = ',');
