#include "comm/PortNames.h"

#include <array>
#include <cstdio>
#include <mutex>

namespace {

std::mutex overridesMutex;
std::array<std::string, TEnumCount<TPort>::value> overrides;

int portNumber(TPort Port) { return Ordinal(Port) + 1; }

} // namespace

std::string PortEnumName(TPort Port)
{
    return "COM" + std::to_string(portNumber(Port));
}

std::string PortDisplayName(TPort Port)
{
    return "COM " + std::to_string(portNumber(Port));
}

std::string DefaultPortDevicePath(TPort Port)
{
    if (!IsValidEnum(Port))
        return std::string();
#ifdef _WIN32
    // The device namespace prefix lets COM10 and above open as well as COM1..COM9.
    return "\\\\.\\" + PortEnumName(Port);
#else
    return "/dev/ttyS" + std::to_string(Ordinal(Port));
#endif
}

std::string PortDevicePath(TPort Port)
{
    if (!IsValidEnum(Port))
        return std::string();
    {
        std::lock_guard<std::mutex> lock(overridesMutex);
        if (!overrides[Ordinal(Port)].empty())
            return overrides[Ordinal(Port)];
    }
    return DefaultPortDevicePath(Port);
}

void SetPortDevicePath(TPort Port, const std::string& DevicePath)
{
    if (!IsValidEnum(Port))
        return;
    std::lock_guard<std::mutex> lock(overridesMutex);
    overrides[Ordinal(Port)] = DevicePath;
}

void ClearPortDevicePaths()
{
    std::lock_guard<std::mutex> lock(overridesMutex);
    for (auto& path : overrides)
        path.clear();
}

std::string WindowsComDeviceName(const std::string& Name)
{
    std::string number = Name;
    if (!number.empty() && number.back() == ':')
        number.pop_back();
    if (number.size() < 4 || (number[0] | 0x20) != 'c' || (number[1] | 0x20) != 'o' || (number[2] | 0x20) != 'm')
        return Name;
    number.erase(0, 3);
    if (number.find_first_not_of("0123456789") != std::string::npos)
        return Name;
    return "\\\\.\\COM" + number;
}

uint16_t PortAddressValue(TPortAddr Address)
{
    static const uint16_t addresses[TEnumCount<TPortAddr>::value] = {0x03F8, 0x02F8, 0x03E8, 0x02E8};
    return IsValidEnum(Address) ? addresses[Ordinal(Address)] : 0;
}

std::string PortAddressText(TPortAddr Address)
{
    if (!IsValidEnum(Address))
        return std::string();
    char text[8];
    std::snprintf(text, sizeof text, "%04Xh", static_cast<unsigned>(PortAddressValue(Address)));
    return text;
}

std::string PortAddressRangeText(TPortAddr Address)
{
    if (!IsValidEnum(Address))
        return std::string();
    const unsigned first = PortAddressValue(Address);
    char text[16];
    std::snprintf(text, sizeof text, "%04X - %04X", first, first + 7);
    return text;
}
