#include "comm/serial/CustomBaud.h"

#include <cerrno>

#if defined(__linux__)
// termios2 lives in the kernel headers, which clash with <termios.h>; hence this file of its own.
#include <asm/ioctls.h>
#include <asm/termbits.h>

extern "C" int ioctl(int Fd, unsigned long Request, ...);

namespace zbserial {

bool SetCustomBaudRate(int Fd, uint32_t BaudRate)
{
    struct termios2 settings {};
    if (ioctl(Fd, TCGETS2, &settings) != 0)
        return false;
    settings.c_cflag &= ~static_cast<tcflag_t>(CBAUD | (CBAUD << IBSHIFT));
    settings.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    settings.c_ispeed = BaudRate;
    settings.c_ospeed = BaudRate;
    return ioctl(Fd, TCSETS2, &settings) == 0;
}

bool GetCustomBaudRate(int Fd, uint32_t& BaudRate)
{
    struct termios2 settings {};
    if (ioctl(Fd, TCGETS2, &settings) != 0)
        return false;
    BaudRate = settings.c_ospeed;
    return true;
}

} // namespace zbserial

#else

namespace zbserial {

bool SetCustomBaudRate(int, uint32_t)
{
    errno = EINVAL;
    return false;
}

bool GetCustomBaudRate(int, uint32_t&)
{
    errno = EINVAL;
    return false;
}

} // namespace zbserial

#endif
