#include "device/core/ActualValues.h"

#include "app/core/Functies.h"
#include "device/core/ReplyValue.h"

namespace device {

const char* ActualCommand(ActualValue value)
{
    switch (value) {
    case ActualValue::Position: return "r0";
    case ActualValue::LinPosition: return "r8";
    case ActualValue::Speed: return "r1";
    case ActualValue::Voltage: return "r2";
    case ActualValue::Current: return "r3";
    }
    return "r0";
}

std::vector<ActualValue> ActualValuesToPoll(const TParameterValues& parameters)
{
    std::vector<ActualValue> values{ActualValue::Position};
    if (parameters[246] == 1)
        values.push_back(ActualValue::LinPosition);
    values.push_back(ActualValue::Speed);
    if (parameters[388] == 1)
        values.push_back(ActualValue::Voltage);
    else if (parameters[388] == 2)
        values.push_back(ActualValue::Current);
    return values;
}

std::string ActualValueDisplay(ActualValue value, std::string_view valueText)
{
    const std::optional<std::int32_t> v = ParseInt32(valueText);
    if (!v)
        return NotANumberText;
    switch (value) {
    case ActualValue::LinPosition: return FormatFixed(DecimalsOfLinPosition, *v);
    case ActualValue::Voltage: return FormatFixed(4, *v) + " V";
    case ActualValue::Current: return FormatFixed(4, *v) + " mA";
    case ActualValue::Position:
    case ActualValue::Speed: break;
    }
    return FormatFixed(DecimalsOfPosition, *v);
}

std::string ActualReplyDisplay(ActualValue value, const std::vector<std::uint8_t>& reply)
{
    const std::optional<std::string> text = EchoedValueText(reply, ActualCommand(value));
    return text ? ActualValueDisplay(value, *text) : std::string(FailedRequestText);
}

} // namespace device
