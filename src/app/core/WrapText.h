#pragma once
// Word wrap of a message for a box whose lines must stay short: a line longer than MaxColumn is
// broken after the last break character at or before MaxColumn, and the break string is inserted
// there. A line with no break character that early is broken at the first one after it (a long
// word is never cut). Line ends already in the text (CR, LF) start a new line.

#include <string>
#include <string_view>

std::string WrapText(std::string_view Text, std::string_view BreakString, std::string_view BreakChars,
                     std::size_t MaxColumn);

// The warning boxes' wrap: 42 columns, breaking after a blank, tab, "-" or "." with CR LF.
inline std::string WrapMessage42(std::string_view Text)
{
    return WrapText(Text, "\r\n", " \t-.", 42);
}
