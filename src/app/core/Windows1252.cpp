#include "app/core/Windows1252.h"

#include <array>

namespace {

// Bytes 80h..9Fh; the unassigned ones map to themselves.
constexpr std::array<char16_t, 32> HighControlRange = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 80..87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, // 88..8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90..97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, // 98..9F
};

} // namespace

char16_t Windows1252ToUnicode(unsigned char Byte)
{
    if (Byte >= 0x80 && Byte <= 0x9F)
        return HighControlRange[Byte - 0x80];
    return Byte;
}

std::optional<unsigned char> UnicodeToWindows1252(char32_t CodePoint)
{
    for (std::size_t i = 0; i < HighControlRange.size(); ++i)
        if (HighControlRange[i] == CodePoint)
            return static_cast<unsigned char>(0x80 + i);
    // The C1 controls other than the five unassigned bytes have a character of their own there.
    if (CodePoint <= 0xFF && !(CodePoint >= 0x80 && CodePoint <= 0x9F))
        return static_cast<unsigned char>(CodePoint);
    return std::nullopt;
}

std::u16string DecodeWindows1252(std::string_view Bytes)
{
    std::u16string text;
    text.reserve(Bytes.size());
    for (char c : Bytes)
        text.push_back(Windows1252ToUnicode(static_cast<unsigned char>(c)));
    return text;
}

std::string EncodeWindows1252(std::u16string_view Text)
{
    std::string bytes;
    bytes.reserve(Text.size());
    for (std::size_t i = 0; i < Text.size(); ++i) {
        const char16_t unit = Text[i];
        const bool pair = unit >= 0xD800 && unit <= 0xDBFF && i + 1 < Text.size() && Text[i + 1] >= 0xDC00 &&
                          Text[i + 1] <= 0xDFFF;
        if (pair) {
            // One character beyond the code page, one "?".
            bytes.push_back('?');
            ++i;
            continue;
        }
        bytes.push_back(static_cast<char>(UnicodeToWindows1252(unit).value_or('?')));
    }
    return bytes;
}
