#pragma once
// Language texts and file names are single-byte (Latin-1) text in the core; the windows show them
// as QString.

#include <QString>

#include <string>

inline QString Latin1(const std::string& Text)
{
    return QString::fromLatin1(Text.data(), static_cast<qsizetype>(Text.size()));
}
