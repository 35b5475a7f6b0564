#pragma once
// The controller's error number ("rf") as the main window shows it.
#include <string>
#include <string_view>

namespace device {

// "-1" (or anything beginning with it, e.g. "-15") and an empty value mean: no error.
bool IsDeviceErrorValue(std::string_view value);

// The error panel text for an error value: "KM40... Error: 7".
std::string DeviceErrorText(std::string_view value);

// The activity dots of the status bar: ". " more with every error reply, six groups at most,
// then starting again at one.
class ErrorActivityDots {
public:
    static constexpr int kMaxGroups = 6;

    const std::string& Advance();
    const std::string& Text() const { return text_; }

private:
    std::string text_;
};

} // namespace device
