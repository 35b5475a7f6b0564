#include "params/core/TransferReplies.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

namespace {

std::string LimitedReply(const std::vector<uint8_t>& Reply)
{
    const std::size_t n = std::min(Reply.size(), TransferReplyLimit);
    return std::string(Reply.begin(), Reply.begin() + static_cast<std::ptrdiff_t>(n));
}

} // namespace

std::string ReplyHead(const std::vector<uint8_t>& Reply, std::size_t Count)
{
    return LimitedReply(Reply).substr(0, Count);
}

bool ReplyEchoes(const std::vector<uint8_t>& Reply, std::string_view Letters)
{
    return ReplyHead(Reply, Letters.size()) == Letters;
}

bool WriteReplyConfirms(const std::vector<uint8_t>& Reply, std::string_view Letters)
{
    return ReplyEchoes(Reply, Letters) && ReadReplyValue(Reply).has_value();
}

std::optional<int32_t> ParseDecimalInt32(std::string_view Text)
{
    const bool negative = !Text.empty() && Text.front() == '-';
    if (!Text.empty() && (Text.front() == '-' || Text.front() == '+'))
        Text.remove_prefix(1);
    if (Text.empty() || !std::all_of(Text.begin(), Text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    // Parsed with its sign, so that -2147483648 fits.
    std::string digits;
    if (negative)
        digits += '-';
    digits += Text;
    int32_t value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error != std::errc() || end != digits.data() + digits.size())
        return std::nullopt;
    return value;
}

std::optional<int32_t> ReadReplyValue(const std::vector<uint8_t>& Reply)
{
    const std::string reply = LimitedReply(Reply);
    if (reply.size() < 6)
        return std::nullopt;
    const std::string_view payload = std::string_view(reply).substr(3, reply.size() - 5);
    // The echoed number and its blank go; a payload without that blank holds no value.
    const std::size_t blank = payload.find(' ');
    if (blank == std::string_view::npos)
        return std::nullopt;
    return ParseDecimalInt32(payload.substr(blank + 1));
}

TComputeReply DecodeComputeReply(const std::vector<uint8_t>& Reply)
{
    // Unlike the read and write replies, the computation's report is taken whole.
    const std::string reply(Reply.begin(), Reply.end());
    const std::string text = reply.size() < 3 ? std::string() : reply.substr(0, reply.size() - 2);
    TComputeReply result;
    result.Success = text == "bp -1";
    if (!result.Success)
        result.Report = text.size() > 3 ? text.substr(3) : std::string();
    result.Valid = result.Success || (text.compare(0, 3, "bp ") == 0 && ParseDecimalInt32(result.Report).has_value());
    return result;
}

std::string WrongReplyItem(bool Parameters, int Number)
{
    char item[32];
    std::snprintf(item, sizeof item, "   %c[%03d]", Parameters ? 'P' : 'S', Number);
    return item;
}
