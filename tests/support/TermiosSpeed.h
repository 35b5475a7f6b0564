#pragma once
// The termios speed code of a baud rate the test peers open a terminal at; 38400 for any other.

#include <termios.h>

inline speed_t TermiosSpeed(long Baud)
{
    switch (Baud) {
    case 1200: return B1200;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 57600: return B57600;
    case 115200: return B115200;
    default: return B38400;
    }
}
