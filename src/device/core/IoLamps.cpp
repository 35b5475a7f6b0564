#include "device/core/IoLamps.h"

#include "device/core/ReplyValue.h"

namespace device {

namespace {
template <std::size_t N>
std::array<bool, N> Bits(std::string_view valueText)
{
    const std::uint32_t value = static_cast<std::uint32_t>(ParseInt32(valueText).value_or(0));
    std::array<bool, N> lamps{};
    for (std::size_t i = 0; i < N; ++i)
        lamps[i] = (value >> i) & 1U;
    return lamps;
}
} // namespace

std::array<bool, InputLampCount> InputLamps(std::string_view valueText)
{
    return Bits<InputLampCount>(valueText);
}

std::array<bool, OutputLampCount> OutputLamps(std::string_view valueText)
{
    return Bits<OutputLampCount>(valueText);
}

} // namespace device
