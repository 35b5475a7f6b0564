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

ThumbwheelChain::Outcome ThumbwheelChain::OnReply(std::string_view valueText, TThumbwheelValues& values)
{
    Outcome outcome;
    if (!running_)
        return outcome;
    // The echoed thumbwheel number and a blank come first.
    valueText.remove_prefix(std::min<std::size_t>(2, valueText.size()));
    const int k = index_;
    index_ = index_ % ThumbwheelCount + 1;
    const std::optional<std::int32_t> v = ParseInt32(valueText);
    values[static_cast<std::size_t>(k - 1)] = v.value_or(0);
    outcome.thumbwheel = k;
    outcome.text = v ? FormatFixed(DecimalsOfPosition, *v) : std::string(NotANumberText);
    outcome.nextCommand = "rd " + std::to_string(index_);
    return outcome;
}

ThumbwheelChain::Outcome ThumbwheelChain::OnError()
{
    if (!running_)
        return {};
    // The chain stops, but the poll stays switched on until the user switches it off.
    running_ = false;
    return Outcome{index_, FailedRequestText, {}};
}

} // namespace device
