#include "comm/FoundDevice.h"

#include <cstdio>

namespace {

constexpr const char* BaudTexts[] = {"1200", "2400", "4800", "9600", "19200", "28800", "38400", "57600", "115200"};
constexpr const char* ParityTexts[] = {"None", "Even", "Odd"};
constexpr const char* StopbitsTexts[] = {"1", "2"};

std::string csvField(const std::string& Text)
{
    if (Text.find_first_of(",\"\r\n") == std::string::npos)
        return Text;
    std::string quoted = "\"";
    for (char c : Text) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

} // namespace

std::string BaudrateText(TBaudrate Baudrate)
{
    return IsValidEnum(Baudrate) ? BaudTexts[Ordinal(Baudrate)] : "";
}

std::string ParityText(TParityBit Parity)
{
    return IsValidEnum(Parity) ? ParityTexts[Ordinal(Parity)] : "";
}

std::string StopbitsText(TStopBit Stopbits)
{
    return IsValidEnum(Stopbits) ? StopbitsTexts[Ordinal(Stopbits)] : "";
}

std::optional<TBaudrate> SearchBaudrateOfText(const std::string& Text)
{
    for (int i = Ordinal(TBaudrate::br9600); i <= Ordinal(TBaudrate::br57600); ++i)
        if (Text == BaudTexts[i])
            return static_cast<TBaudrate>(i);
    return std::nullopt;
}

std::optional<TParityBit> ParityOfText(const std::string& Text)
{
    for (int i = 0; i < TEnumCount<TParityBit>::value; ++i)
        if (Text == ParityTexts[i])
            return static_cast<TParityBit>(i);
    return std::nullopt;
}

std::optional<TStopBit> StopbitsOfText(const std::string& Text)
{
    for (int i = 0; i < TEnumCount<TStopBit>::value; ++i)
        if (Text == StopbitsTexts[i])
            return static_cast<TStopBit>(i);
    return std::nullopt;
}

TFoundDeviceTexts FoundDeviceTexts(const TFoundDevice& Device)
{
    char unit[16];
    std::snprintf(unit, sizeof unit, "%2.2d", Device.Unit);
    return {unit, Device.Identification, BaudrateText(Device.Baudrate), ParityText(Device.Parity),
            StopbitsText(Device.Stopbits)};
}

std::string FoundDevicesCsvHeader()
{
    return "unit,identification,baud,parity,stopbits\n";
}

std::string FoundDeviceCsvLine(const TFoundDeviceTexts& Texts)
{
    std::string line;
    for (std::size_t i = 0; i < Texts.size(); ++i) {
        if (i > 0)
            line += ',';
        line += csvField(Texts[i]);
    }
    return line + '\n';
}

std::string FoundDevicesCsv(const std::vector<TFoundDeviceTexts>& Rows)
{
    std::string csv = FoundDevicesCsvHeader();
    for (const TFoundDeviceTexts& row : Rows)
        csv += FoundDeviceCsvLine(row);
    return csv;
}
