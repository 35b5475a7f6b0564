#include "device/core/StatusTexts.h"

#include <array>

namespace device {

namespace {
template <typename E, std::size_t N>
std::string lookup(E value, const std::array<const char*, N>& texts)
{
    const int i = Ordinal(value);
    return (i >= 0 && static_cast<std::size_t>(i) < N) ? texts[static_cast<std::size_t>(i)] : "?";
}
} // namespace

std::string LineSettingsText(TBaudrate Baudrate, TParityBit Parity, TDataBit Databits, TStopBit Stopbits)
{
    static constexpr std::array<const char*, 9> rates{"1200", "2400", "4800", "9600", "19200",
                                                      "28800", "38400", "57600", "115200"};
    static constexpr std::array<const char*, 3> parities{"N", "E", "O"};
    static constexpr std::array<const char*, 2> databits{"7", "8"};
    static constexpr std::array<const char*, 2> stopbits{"1", "2"};
    return lookup(Baudrate, rates) + "," + lookup(Parity, parities) + "," + lookup(Databits, databits) + "," +
           lookup(Stopbits, stopbits);
}

std::optional<std::string> ComErrorText(const TCommError& CommError, const std::string& TimeoutText,
                                        const std::string& LineErrorText)
{
    if (CommError.Code == ecTimeout)
        return TimeoutText;
    if (CommError.SystemError != 0 || CommError.CommErrors != 0)
        return LineErrorText + " " + std::to_string(CommError.SystemError) + ", " +
               std::to_string(LineErrorFlags(CommError.CommErrors));
    return std::nullopt;
}

} // namespace device
