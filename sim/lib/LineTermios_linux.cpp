// Linux: termios2 carries the baud rate as a number, so rates without a Bnnnn constant work.
// <asm/termbits.h> clashes with <termios.h>, which is why this file uses it alone.
#include "LineTermios.h"

#include <array>
#include <asm/termbits.h>
#include <sys/ioctl.h>
#include <utility>

namespace km4x {

namespace {

// Standard rates keep their classic speed code and only the others go as BOTHER: a client that
// reads the settings through the classic interface only (Wine's serial driver does) refuses a
// line whose speed it cannot name.
constexpr std::array<std::pair<int, tcflag_t>, 9> kClassicSpeeds = {{
    {1200, B1200}, {2400, B2400}, {4800, B4800}, {9600, B9600}, {19200, B19200},
    {38400, B38400}, {57600, B57600}, {115200, B115200}, {230400, B230400},
}};

tcflag_t SpeedCode(int baud)
{
    for (const auto& [rate, code] : kClassicSpeeds)
        if (rate == baud)
            return code;
    return BOTHER;
}

} // namespace

std::optional<ObservedLine> ReadLineSettings(int fd)
{
    struct termios2 tio {};
    if (ioctl(fd, TCGETS2, &tio) != 0)
        return std::nullopt;
    ObservedLine seen;
    seen.baud = static_cast<int>(tio.c_ospeed);
    seen.stopBits = (tio.c_cflag & CSTOPB) ? 2 : 1;
    seen.parity = !(tio.c_cflag & PARENB) ? Parity::None : (tio.c_cflag & PARODD) ? Parity::Odd : Parity::Even;
    seen.dataBits = (tio.c_cflag & CSIZE) == CS7 ? 7 : 8;
    return seen;
}

bool ApplyRawLineSettings(int fd, const LineSettings& line)
{
    struct termios2 tio {};
    if (ioctl(fd, TCGETS2, &tio) != 0)
        return false;
    tio.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY);
    tio.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    tio.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CSTOPB | CBAUD | (CBAUD << IBSHIFT));
    const tcflag_t speed = SpeedCode(line.baud);
    tio.c_cflag |= CREAD | CLOCAL | speed | (speed << IBSHIFT);
    tio.c_cflag |= line.dataBits == 7 ? CS7 : CS8;
    if (line.parity != Parity::None)
        tio.c_cflag |= PARENB | (line.parity == Parity::Odd ? PARODD : 0);
    if (line.stopBits == 2)
        tio.c_cflag |= CSTOPB;
    tio.c_ospeed = static_cast<speed_t>(line.baud);
    tio.c_ispeed = static_cast<speed_t>(line.baud);
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    return ioctl(fd, TCSETS2, &tio) == 0;
}

} // namespace km4x
