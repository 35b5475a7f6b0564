#pragma once
// Whether a byte string is well-formed UTF-8: shortest forms only, no surrogate halves, nothing
// above U+10FFFF. The tests and fuzz targets of readers that write UTF-8 check their output with it.
#include <cstddef>
#include <cstdint>
#include <string_view>

inline bool IsValidUtf8(std::string_view Text)
{
    std::size_t i = 0;
    while (i < Text.size()) {
        const auto lead = static_cast<uint8_t>(Text[i]);
        std::size_t length = 0;
        uint32_t code = 0;
        uint32_t least = 0;
        if (lead < 0x80) {
            ++i;
            continue;
        } else if ((lead & 0xE0) == 0xC0) {
            length = 2, code = lead & 0x1Fu, least = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3, code = lead & 0x0Fu, least = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4, code = lead & 0x07u, least = 0x10000;
        } else {
            return false;
        }
        if (i + length > Text.size())
            return false;
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<uint8_t>(Text[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (next & 0x3Fu);
        }
        if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        i += length;
    }
    return true;
}
