#include "params/core/TransferReplies.h"

#include "comm/ReplyRule.h"

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

TWriteReply CheckWriteReply(std::string_view Request, const std::vector<uint8_t>& Reply)
{
    const std::string reply = LimitedReply(Reply);
    if (reply == "er 7\r\n")
        return TWriteReply::Refused;
    const TReplyCheck check = CheckReply(Request, reply);
    if (check.Verdict == TReplyVerdict::OtherValue)
        return TWriteReply::OtherValue;
    // The controller repeats the request and adds nothing.
    return check.Answers() && check.Value.empty() ? TWriteReply::Confirmed : TWriteReply::Wrong;
}

std::string DescribeWrongReply(std::string_view Request, const std::vector<uint8_t>& Reply)
{
    const TReplyCheck check = CheckReply(Request, LimitedReply(Reply));
    if (check.Verdict == TReplyVerdict::Echo)
        return std::string(EchoingLineText);
    if (check.Verdict == TReplyVerdict::OtherValue)
        return HeldValueText(check, Request);
    // The reply's first four bytes, as the windows' panels have always shown them.
    return ShownReply(ReplyHead(Reply, 4));
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

std::optional<int32_t> ReadReplyValue(std::string_view Request, const std::vector<uint8_t>& Reply)
{
    const TReplyCheck check = CheckReply(Request, LimitedReply(Reply));
    if (!check.Answers())
        return std::nullopt;
    return ParseDecimalInt32(check.Value);
}

TComputeReply DecodeComputeReply(const std::vector<uint8_t>& Reply)
{
    // Unlike the read and write replies, the computation's report is taken whole.
    const TReplyCheck check = CheckReply("bp", Reply);
    TComputeReply result;
    const std::optional<int32_t> report = check.Answers() ? ParseDecimalInt32(check.Value) : std::nullopt;
    result.Valid = report.has_value();
    result.Success = report == -1 && check.Value == "-1";
    // A report that is no number is shown escaped: it is bytes from the line.
    if (!result.Success)
        result.Report = result.Valid ? check.Value : ShownReply(check.Answers() ? check.Value : std::string_view(
                                                        reinterpret_cast<const char*>(Reply.data()), Reply.size()), 24);
    return result;
}

std::string WrongReplyItem(bool Parameters, int Number)
{
    char item[32];
    std::snprintf(item, sizeof item, "   %c[%03d]", Parameters ? 'P' : 'S', Number);
    return item;
}
