#pragma once
// Baud rates without a Bxxx constant (28800) through the Linux termios2 interface. Elsewhere these
// calls fail with EINVAL, and the port reports that the setting could not be applied.

#include <cstdint>

namespace zbserial {

// Sets both speeds of the open terminal Fd; false with errno set on failure.
bool SetCustomBaudRate(int Fd, uint32_t BaudRate);
// Reads the output speed when it was set as a custom rate; false with errno set otherwise.
bool GetCustomBaudRate(int Fd, uint32_t& BaudRate);

} // namespace zbserial
