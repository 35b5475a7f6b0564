#include "Command.h"

#include <limits>

namespace km4x {

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool IsLower(char c)
{
    return c >= 'a' && c <= 'z';
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

} // namespace

std::optional<Command> ParseCommand(std::string_view line)
{
    while (!line.empty() && IsBlank(line.front()))
        line.remove_prefix(1);
    while (!line.empty() && IsBlank(line.back()))
        line.remove_suffix(1);
    if (line.empty())
        return std::nullopt;

    Command command;
    command.letters = std::string(line.substr(0, 2));
    command.wellFormed = line.size() >= 2 && IsLower(line[0]) && (IsLower(line[1]) || IsDigit(line[1]))
        && (line.size() == 2 || IsBlank(line[2]));
    if (!command.wellFormed)
        return command;

    std::string_view rest = line.substr(2);
    while (!rest.empty()) {
        while (!rest.empty() && IsBlank(rest.front()))
            rest.remove_prefix(1);
        size_t end = 0;
        while (end < rest.size() && !IsBlank(rest[end]))
            ++end;
        if (end > 0)
            command.args.emplace_back(rest.substr(0, end));
        rest.remove_prefix(end);
    }
    return command;
}

std::optional<int32_t> ParseInt32(std::string_view text)
{
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty() || text.size() > 10)
        return std::nullopt;
    int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (negative)
        value = -value;
    if (value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max())
        return std::nullopt;
    return static_cast<int32_t>(value);
}

} // namespace km4x
