#include "device/core/ErrorStatus.h"

namespace device {

bool IsDeviceErrorValue(std::string_view value)
{
    return !value.empty() && value.substr(0, 2) != "-1";
}

std::string DeviceErrorText(std::string_view value)
{
    return "KM40... Error: " + std::string(value);
}

const std::string& ErrorActivityDots::Advance()
{
    if (text_.size() >= 2 * kMaxGroups)
        text_.clear();
    text_ += ". ";
    return text_;
}

} // namespace device
