#include "comm/ReplyRule.h"

#include <cstdio>

namespace {

// The blank-separated fields of a text; runs of blanks count as one separator.
std::vector<std::string_view> Fields(std::string_view Text)
{
    std::vector<std::string_view> fields;
    std::size_t i = 0;
    while (i < Text.size()) {
        while (i < Text.size() && Text[i] == ' ')
            ++i;
        const std::size_t start = i;
        while (i < Text.size() && Text[i] != ' ')
            ++i;
        if (i > start)
            fields.push_back(Text.substr(start, i - start));
    }
    return fields;
}

// An optional sign and at most 12 digits.
bool DecimalNumber(std::string_view Text, long long& Value)
{
    std::size_t i = 0;
    bool negative = false;
    if (i < Text.size() && (Text[i] == '+' || Text[i] == '-'))
        negative = Text[i++] == '-';
    if (i == Text.size() || Text.size() - i > 12)
        return false;
    long long v = 0;
    for (; i < Text.size(); ++i) {
        if (Text[i] < '0' || Text[i] > '9')
            return false;
        v = v * 10 + (Text[i] - '0');
    }
    Value = negative ? -v : v;
    return true;
}

// A repeated field is the same decimal number ("+5" and "5" are one value) or the same text.
bool SameField(std::string_view Sent, std::string_view Repeated)
{
    long long a = 0;
    long long b = 0;
    if (DecimalNumber(Sent, a) && DecimalNumber(Repeated, b))
        return a == b;
    return Sent == Repeated;
}

} // namespace

TReplyCheck CheckReply(std::string_view Request, std::string_view Reply)
{
    TReplyCheck check;
    while (!Request.empty() && (Request.back() == '\r' || Request.back() == '\n'))
        Request.remove_suffix(1);
    // What was sent, given back as it was sent (with its CR, without an LF): nobody answered.
    if (!Request.empty() && Reply.substr(0, Request.size()) == Request &&
        (Reply.size() == Request.size() || (Reply.size() == Request.size() + 1 && Reply.back() == '\r'))) {
        check.Verdict = TReplyVerdict::Echo;
        return check;
    }
    if (!IsOneReplyLine(Reply))
        return check;
    const std::string_view text = Reply.substr(0, Reply.size() - 2);
    const std::vector<std::string_view> sent = Fields(Request);
    if (sent.empty() || text.substr(0, sent[0].size()) != sent[0])
        return check;
    std::string_view rest = text.substr(sent[0].size());
    if (!rest.empty() && rest.front() != ' ')
        return check;
    for (std::size_t i = 1; i < sent.size(); ++i) {
        std::size_t blanks = 0;
        while (blanks < rest.size() && rest[blanks] == ' ')
            ++blanks;
        if (blanks == 0)
            return check;
        rest.remove_prefix(blanks);
        const std::size_t end = std::min(rest.find(' '), rest.size());
        const std::string_view field = rest.substr(0, end);
        if (!SameField(sent[i], field)) {
            // The number repeated but another value, whole: a write the controller changed.
            long long held = 0;
            if (i >= 2 && i + 1 == sent.size() && end == rest.size() && DecimalNumber(field, held)) {
                check.Verdict = TReplyVerdict::OtherValue;
                check.Held = std::string(field);
            }
            return check;
        }
        rest.remove_prefix(end);
    }
    if (!rest.empty())
        rest.remove_prefix(1); // the blank in front of the answer
    check.Verdict = TReplyVerdict::Answer;
    check.Value = std::string(rest);
    return check;
}

bool IsOneReplyLine(std::string_view Reply)
{
    return Reply.size() >= 2 && Reply.substr(Reply.size() - 2) == "\r\n" &&
           Reply.substr(0, Reply.size() - 2).find_first_of("\r\n") == std::string_view::npos;
}

TReplyCheck CheckReply(std::string_view Request, const std::vector<uint8_t>& Reply)
{
    return CheckReply(Request, std::string_view(reinterpret_cast<const char*>(Reply.data()), Reply.size()));
}

std::string HeldValueText(const TReplyCheck& Check, std::string_view Request)
{
    const std::vector<std::string_view> sent = Fields(Request);
    const std::string_view written = sent.empty() ? std::string_view() : sent.back();
    return "the controller holds " + ShownReply(Check.Held) + ", not " + std::string(written);
}

std::string ShownReply(std::string_view Bytes, std::size_t MaxChars)
{
    std::string shown;
    std::size_t chars = 0;
    for (const char c : Bytes) {
        if (chars == MaxChars) {
            shown += "...";
            break;
        }
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\r') {
            shown += "\\r";
        } else if (c == '\n') {
            shown += "\\n";
        } else if (c == '\\') {
            shown += "\\\\";
        } else if (byte < 0x20 || byte >= 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", byte);
            shown += hex;
        } else {
            shown += c;
        }
        ++chars;
    }
    return shown;
}

std::string ShownReply(const std::vector<uint8_t>& Bytes, std::size_t MaxChars)
{
    return ShownReply(std::string_view(reinterpret_cast<const char*>(Bytes.data()), Bytes.size()), MaxChars);
}
