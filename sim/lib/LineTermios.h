// Reading and setting the line settings of a terminal descriptor, baud rates outside the
// classic table (28800) included.
#pragma once

#include "LineSettings.h"

#include <optional>

namespace km4x {

// The settings currently in force on fd; parityVisible is left false (the caller knows
// whether the line is a real one).
std::optional<ObservedLine> ReadLineSettings(int fd);

// Raw mode (no echo, no translation, no signals, reads byte by byte) with the given settings.
bool ApplyRawLineSettings(int fd, const LineSettings& line);

} // namespace km4x
