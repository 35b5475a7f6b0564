// Other POSIX systems: plain termios, so only the rates of the classic Bnnnn table.
#include "LineTermios.h"

#include <array>
#include <termios.h>
#include <utility>

namespace km4x {

namespace {

constexpr std::array<std::pair<int, speed_t>, 9> kSpeeds = {{
    {1200, B1200}, {2400, B2400}, {4800, B4800}, {9600, B9600}, {19200, B19200},
    {38400, B38400}, {57600, B57600}, {115200, B115200}, {230400, B230400},
}};

} // namespace

std::optional<ObservedLine> ReadLineSettings(int fd)
{
    struct termios tio {};
    if (tcgetattr(fd, &tio) != 0)
        return std::nullopt;
    ObservedLine seen;
    const speed_t speed = cfgetospeed(&tio);
    for (const auto& [baud, code] : kSpeeds)
        if (code == speed)
            seen.baud = baud;
    seen.stopBits = (tio.c_cflag & CSTOPB) ? 2 : 1;
    seen.parity = !(tio.c_cflag & PARENB) ? Parity::None : (tio.c_cflag & PARODD) ? Parity::Odd : Parity::Even;
    seen.dataBits = (tio.c_cflag & CSIZE) == CS7 ? 7 : 8;
    return seen;
}

bool ApplyRawLineSettings(int fd, const LineSettings& line)
{
    struct termios tio {};
    if (tcgetattr(fd, &tio) != 0)
        return false;
    cfmakeraw(&tio);
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CSTOPB);
    tio.c_cflag |= CREAD | CLOCAL | (line.dataBits == 7 ? CS7 : CS8);
    if (line.parity != Parity::None)
        tio.c_cflag |= PARENB | (line.parity == Parity::Odd ? PARODD : 0);
    if (line.stopBits == 2)
        tio.c_cflag |= CSTOPB;
    bool known = false;
    for (const auto& [baud, code] : kSpeeds)
        if (baud == line.baud) {
            cfsetispeed(&tio, code);
            cfsetospeed(&tio, code);
            known = true;
        }
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    return known && tcsetattr(fd, TCSANOW, &tio) == 0;
}

} // namespace km4x
