#pragma once
// The actual-value poll of the main window: which values are polled (parameters 246 and 388
// decide) and how a reply shows in its panel.
#include "app/core/Global_var.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace device {

enum class ActualValue { Position, LinPosition, Speed, Voltage, Current };
constexpr int ActualValueCount = 5;

// "r0", "r8", "r1", "r2", "r3".
const char* ActualCommand(ActualValue value);

// The values to poll, in the order their requests are started: position, the linearised
// position when P246 is 1, speed, then the voltage (P388 = 1) or the current (P388 = 2).
std::vector<ActualValue> ActualValuesToPoll(const TParameterValues& parameters);

// The panel text for a reply's value text: the value with the position decimals (position,
// speed), the linearised position's decimals, or four decimals and " V" / " mA"; "????" when
// the value is no 32-bit integer.
std::string ActualValueDisplay(ActualValue value, std::string_view valueText);
// The panel text for a whole reply: as above, or the failed-request text when the reply does not
// repeat the value's command (a late "r0" reply must not show as the speed).
std::string ActualReplyDisplay(ActualValue value, const std::vector<std::uint8_t>& reply);

// What a value panel shows after a failed request.
inline constexpr char FailedRequestText[] = "?";
// What a value panel shows for a value that is no number.
inline constexpr char NotANumberText[] = "????";

} // namespace device
