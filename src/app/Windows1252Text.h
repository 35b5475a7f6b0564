#pragma once
// Texts of the data files as the windows show them, and back (see app/core/Windows1252.h).
#include "app/core/Windows1252.h"

#include <QString>

#include <string>
#include <string_view>

inline QString FromWindows1252(std::string_view Bytes)
{
    const std::u16string text = DecodeWindows1252(Bytes);
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string ToWindows1252(const QString& Text)
{
    return EncodeWindows1252(std::u16string_view(reinterpret_cast<const char16_t*>(Text.utf16()),
                                                 static_cast<std::size_t>(Text.size())));
}
