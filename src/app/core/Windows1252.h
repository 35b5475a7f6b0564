#pragma once
// The data files (language files, catalogue, menu tree and map) are Windows-1252 text. This is
// the one place that maps their bytes to Unicode and back; the windows convert through it.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The Unicode code point of a byte. Bytes 80h..9Fh are the typographic marks of Windows-1252
// ("\x80" is the euro sign, "\x93" and "\x94" the curved double quotes); the five bytes that
// code page leaves unassigned (81h, 8Dh, 8Fh, 90h, 9Dh) keep their own value, as Windows maps
// them, so every byte survives the trip there and back.
char16_t Windows1252ToUnicode(unsigned char Byte);

// The byte of a code point, or nothing when Windows-1252 has no byte for it.
std::optional<unsigned char> UnicodeToWindows1252(char32_t CodePoint);

// Whole texts as UTF-16 and back; a character without a byte becomes "?".
std::u16string DecodeWindows1252(std::string_view Bytes);
std::string EncodeWindows1252(std::u16string_view Text);
