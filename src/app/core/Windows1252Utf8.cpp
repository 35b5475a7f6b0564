#include "app/core/Windows1252Utf8.h"

#include "app/core/Windows1252.h"

std::string Windows1252ToUtf8(std::string_view Bytes)
{
    std::string utf8;
    utf8.reserve(Bytes.size());
    for (char c : Bytes) {
        const char16_t unit = Windows1252ToUnicode(static_cast<unsigned char>(c));
        // Every character of the code page lies below U+10000: one to three bytes.
        if (unit < 0x80) {
            utf8.push_back(static_cast<char>(unit));
        } else if (unit < 0x800) {
            utf8.push_back(static_cast<char>(0xC0 | (unit >> 6)));
            utf8.push_back(static_cast<char>(0x80 | (unit & 0x3F)));
        } else {
            utf8.push_back(static_cast<char>(0xE0 | (unit >> 12)));
            utf8.push_back(static_cast<char>(0x80 | ((unit >> 6) & 0x3F)));
            utf8.push_back(static_cast<char>(0x80 | (unit & 0x3F)));
        }
    }
    return utf8;
}
