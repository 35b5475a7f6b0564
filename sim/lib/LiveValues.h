// The measured values of a running controller: an axis swinging back and forth.
#pragma once

#include <cstdint>

namespace km4x {

struct LiveValues {
    int32_t position = 0;    // "r0", position units
    int32_t speed = 0;       // "r1", position units per second
    int32_t voltage = 0;     // "r2", 0.1 mV (4 decimals of a volt)
    int32_t current = 0;     // "r3", 0.1 uA (4 decimals of a milliampere)
    int32_t linPosition = 0; // "r8", linearised position
};

// Values `seconds` after the controller started. The axis swings sinusoidally over +-100000
// with an 8 s period; the analogue output follows the position (+-10 V, 4..20 mA), and the
// linearised position bends the position slightly, as a linearisation curve would.
LiveValues LiveValuesAt(double seconds);

} // namespace km4x
