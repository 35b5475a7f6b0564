#include "device/core/ThumbwheelChain.h"

#include "app/core/Functies.h"
#include "device/core/ActualValues.h"
#include "device/core/ReplyValue.h"

#include <algorithm>

namespace device {

std::string ThumbwheelChain::Start()
{
    running_ = true;
    index_ = 1;
    return "rd 1";
}

ThumbwheelChain::Outcome ThumbwheelChain::next(int thumbwheel, std::string text)
{
    index_ = index_ % ThumbwheelCount + 1;
    std::string command = "rd ";
    command += std::to_string(index_);
    return {thumbwheel, std::move(text), std::move(command)};
}

ThumbwheelChain::Outcome ThumbwheelChain::OnReply(const std::vector<std::uint8_t>& reply, TThumbwheelValues& values)
{
    if (!running_)
        return {};
    const int k = index_;
    // The reply must repeat this thumbwheel's number: a late one for another must not land here.
    const std::optional<std::string> text = EchoedValueText(reply, "rd " + std::to_string(k));
    if (!text)
        return OnError();
    const std::optional<std::int32_t> v = ParseInt32(*text);
    values[static_cast<std::size_t>(k - 1)] = v.value_or(0);
    return next(k, v ? FormatFixed(DecimalsOfPosition, *v) : std::string(NotANumberText));
}

ThumbwheelChain::Outcome ThumbwheelChain::OnError()
{
    if (!running_)
        return {};
    return next(index_, FailedRequestText);
}

} // namespace device
