#include "LineSettings.h"

#include <cstdlib>
#include <sstream>
#include <vector>

namespace km4x {

int BitsPerByte(const LineSettings& line)
{
    return 1 + line.dataBits + (line.parity == Parity::None ? 0 : 1) + line.stopBits;
}

std::string ToText(const LineSettings& line)
{
    const char parity = line.parity == Parity::None ? 'N' : line.parity == Parity::Odd ? 'O' : 'E';
    return std::to_string(line.baud) + "," + parity + "," + std::to_string(line.dataBits) + ","
        + std::to_string(line.stopBits);
}

namespace {

std::optional<int> ParseSmallInt(const std::string& text)
{
    if (text.empty() || text.size() > 9)
        return std::nullopt;
    for (char c : text)
        if (c < '0' || c > '9')
            return std::nullopt;
    return std::atoi(text.c_str());
}

} // namespace

std::optional<LineSettings> ParseLineSettings(const std::string& text)
{
    std::vector<std::string> fields;
    std::stringstream in(text);
    for (std::string field; std::getline(in, field, ',');)
        fields.push_back(field);
    if (fields.empty() || fields.size() > 4)
        return std::nullopt;

    LineSettings line;
    const auto baud = ParseSmallInt(fields[0]);
    if (!baud || *baud <= 0)
        return std::nullopt;
    line.baud = *baud;
    if (fields.size() > 1) {
        const std::string& p = fields[1];
        if (p == "N" || p == "n")
            line.parity = Parity::None;
        else if (p == "O" || p == "o")
            line.parity = Parity::Odd;
        else if (p == "E" || p == "e")
            line.parity = Parity::Even;
        else
            return std::nullopt;
    }
    if (fields.size() > 2) {
        const auto bits = ParseSmallInt(fields[2]);
        if (!bits || (*bits != 7 && *bits != 8))
            return std::nullopt;
        line.dataBits = *bits;
    }
    if (fields.size() > 3) {
        const auto stop = ParseSmallInt(fields[3]);
        if (!stop || (*stop != 1 && *stop != 2))
            return std::nullopt;
        line.stopBits = *stop;
    }
    return line;
}

bool Matches(const LineSettings& unit, const ObservedLine& seen)
{
    if (seen.baud != unit.baud || seen.stopBits != unit.stopBits)
        return false;
    if (seen.parityVisible && (seen.parity != unit.parity || seen.dataBits != unit.dataBits))
        return false;
    return true;
}

} // namespace km4x
