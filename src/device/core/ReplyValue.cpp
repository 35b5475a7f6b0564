#include "device/core/ReplyValue.h"

#include <charconv>

#include "comm/ReplyRule.h"

namespace device {

std::string ReplyValueText(const std::vector<std::uint8_t>& reply, std::size_t bufferSize)
{
    constexpr std::size_t kHead = 3; // two echoed letters and a blank
    constexpr std::size_t kFoot = 2; // the closing bytes
    if (reply.size() > bufferSize || reply.size() <= kHead + kFoot)
        return {};
    return std::string(reply.begin() + kHead, reply.end() - kFoot);
}

bool EchoMatches(const std::vector<std::uint8_t>& reply, std::string_view command)
{
    if (command.size() < 2 || reply.size() < 2)
        return false;
    return reply[0] == static_cast<std::uint8_t>(command[0]) && reply[1] == static_cast<std::uint8_t>(command[1]);
}

std::optional<std::string> EchoedValueText(const std::vector<std::uint8_t>& reply, std::string_view command,
                                           std::size_t bufferSize)
{
    if (reply.size() > bufferSize)
        return std::string();
    const TReplyCheck check = CheckReply(command, reply);
    if (!check.Answers())
        return std::nullopt;
    return check.Value;
}

std::optional<std::int32_t> ParseInt32(std::string_view text)
{
    std::size_t start = 0;
    while (start < text.size() && text[start] == ' ')
        ++start;
    text.remove_prefix(start);
    // from_chars takes a leading '-' but not '+'; a sign must be followed by a digit.
    const bool plus = !text.empty() && text.front() == '+';
    if (plus)
        text.remove_prefix(1);
    const std::size_t firstDigit = (!plus && !text.empty() && text.front() == '-') ? 1 : 0;
    if (text.size() <= firstDigit || text[firstDigit] < '0' || text[firstDigit] > '9')
        return std::nullopt;
    std::int32_t value = 0;
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value, 10);
    if (ec != std::errc() || ptr != end)
        return std::nullopt;
    return value;
}

bool HasControlBytes(std::string_view text)
{
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F)
            return true;
    }
    return false;
}

std::vector<std::string> TextLines(std::string_view text)
{
    std::vector<std::string> lines;
    std::string current;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(current);
            current.clear();
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            current += c;
        }
    }
    if (!current.empty())
        lines.push_back(current);
    return lines;
}

} // namespace device
