#include "app/core/WrapText.h"

std::string WrapText(std::string_view Text, std::string_view BreakString, std::string_view BreakChars,
                     std::size_t MaxColumn)
{
    constexpr std::size_t none = std::string_view::npos;
    std::string out;
    out.reserve(Text.size() + Text.size() / 8);
    std::size_t lineBegin = 0;  // where the current output line starts in Text
    std::size_t breakAfter = none; // just after the last break char that keeps the line short enough
    auto breakLineAt = [&](std::size_t at) {
        out.append(Text.substr(lineBegin, at - lineBegin));
        if (at < Text.size())
            out.append(BreakString);
        lineBegin = at;
        breakAfter = none;
    };
    for (std::size_t i = 0; i < Text.size(); ++i) {
        const char c = Text[i];
        if (c == '\r' || c == '\n') {
            out.append(Text.substr(lineBegin, i + 1 - lineBegin));
            lineBegin = i + 1;
            breakAfter = none;
            continue;
        }
        if (i + 1 - lineBegin > MaxColumn && breakAfter != none)
            breakLineAt(breakAfter);
        if (BreakChars.find(c) == std::string_view::npos)
            continue;
        if (i + 1 - lineBegin <= MaxColumn)
            breakAfter = i + 1;
        else
            breakLineAt(i + 1); // a word longer than a line ends here
    }
    out.append(Text.substr(lineBegin));
    return out;
}
