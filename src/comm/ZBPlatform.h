#pragma once
// Small operating-system look-ups of the library (ZBPlatform_posix.cpp, ZBPlatform_win32.cpp).

#include <cstdint>
#include <string>

// The system's own text for an error number (errno, GetLastError), on one line without
// surrounding blanks.
std::string SystemErrorText(uint32_t ErrorNumber);

// How a message names a system error, the same on every platform: the number and the system's
// own text, "system error 5 (Input/output error)" (ZBPlatform.cpp).
std::string SystemErrorDescription(uint32_t ErrorNumber);

// True for the system errors a line reports once its device has gone (an unplugged USB adapter,
// an aborted driver): every further request on it would fail the same way.
bool IsDeviceGoneError(uint32_t ErrorNumber);
