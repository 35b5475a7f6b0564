#pragma once
// Parameter files (.app) and setpoint files (.aps): single-byte text, lines ended by CR LF.
//   line 1   "ASCII Parameters KM4x-XXX   No: " + unit number  ("ASCII Sollwerten ..." for setpoints)
//   line 2   empty
//   then     one value line per number: "P012 -250" (setpoints "S012 ..."), numbers 000..399
//            (setpoints 000..048; line 000 carries no setpoint and is written as 0)
// Opening reads into a temporary table and takes it over only when the whole file is sound.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "params/core/FileResult.h"

inline constexpr char ParameterFileHeader[] = "ASCII Parameters KM4x-XXX";
inline constexpr char SetpointFileHeader[] = "ASCII Sollwerten KM4x-XXX";
inline constexpr int ParameterFileLines = 400; // value lines 000..399
inline constexpr int SetpointFileLines = 49;   // value lines 000..048

// Writes the file through a temporary file that replaces it only when complete.
TFileResult SaveParameterFile(const std::string& path, std::span<const int32_t, 400> values, int unitNo);
// values[k] is setpoint k + 1.
TFileResult SaveSetpointFile(const std::string& path, std::span<const int32_t, 48> setpoints, int unitNo);

// On success the values are copied into the span; on any error the span is left untouched.
// The Parse functions take the file's text, the Load functions read the file.
TFileResult ParseParameterText(std::string_view text, std::span<int32_t, 400> values);
TFileResult ParseSetpointText(std::string_view text, std::span<int32_t, 48> setpoints);
TFileResult LoadParameterFile(const std::string& path, std::span<int32_t, 400> values);
TFileResult LoadSetpointFile(const std::string& path, std::span<int32_t, 48> setpoints);
