#pragma once
// Small operating-system look-ups of the library (ZBPlatform_posix.cpp, ZBPlatform_win32.cpp).

#include <cstdint>
#include <string>

// The system's own text for an error number (errno, GetLastError).
std::string SystemErrorText(uint32_t ErrorNumber);
