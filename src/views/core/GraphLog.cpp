#include "views/core/GraphLog.h"

#include "app/core/Functies.h"
#include "device/core/ReplyValue.h"

namespace views {

bool GraphLog::Add(std::uint32_t tickMs, std::optional<std::int32_t> value)
{
    if (last_ < GraphLastIndex)
        ++last_;
    const auto i = static_cast<std::size_t>(last_);
    if (last_ == 0) {
        startTick_ = tickMs;
        times_[i] = 0;
    } else {
        // Unsigned difference: right across a wrap of the tick counter.
        times_[i] = static_cast<std::int32_t>(tickMs - startTick_);
    }
    if (value)
        values_[i] = *value;
    return last_ == GraphLastIndex;
}

std::optional<std::int32_t> GraphReplyValue(std::string_view request, const std::vector<std::uint8_t>& reply)
{
    constexpr std::size_t kLongestReply = 50;
    if (reply.size() > kLongestReply)
        return std::nullopt;
    const std::optional<std::string> text = device::EchoedValueText(reply, request, kLongestReply);
    return text ? device::ParseInt32(*text) : std::nullopt;
}

std::string GraphElapsedText(std::int32_t ms)
{
    return FormatFixed(1, ms / 100) + " sec";
}

std::string GraphCsv(const GraphLog& log, const std::string& unitText, int decimals)
{
    std::string csv = "ms;" + unitText + "\r\n";
    for (int i = 0; i <= log.Last(); ++i)
        csv += std::to_string(log.Time(i)) + ";" + FormatFixed(decimals, log.Value(i)) + "\r\n";
    return csv;
}

} // namespace views
