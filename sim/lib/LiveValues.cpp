#include "LiveValues.h"

#include <cmath>
#include <numbers>

namespace km4x {

LiveValues LiveValuesAt(double seconds)
{
    constexpr double amplitude = 100000.0;
    constexpr double period = 8.0;
    constexpr double omega = 2.0 * std::numbers::pi / period;

    const double position = amplitude * std::sin(omega * seconds);
    LiveValues values;
    values.position = static_cast<int32_t>(std::lround(position));
    values.speed = static_cast<int32_t>(std::lround(amplitude * omega * std::cos(omega * seconds)));
    values.voltage = values.position;                                             // +-10,0000 V
    values.current = static_cast<int32_t>(std::lround(120000.0 + 0.8 * position)); // 4..20 mA
    values.linPosition = static_cast<int32_t>(std::lround(position + position * std::fabs(position) / 1e6));
    return values;
}

} // namespace km4x
