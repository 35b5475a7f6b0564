// Serial line settings of a simulated unit and what the simulator can see of the client's.
#pragma once

#include <optional>
#include <string>

namespace km4x {

enum class Parity { None, Odd, Even };

struct LineSettings {
    int baud = 38400;
    Parity parity = Parity::Even;
    int dataBits = 8; // 7 or 8
    int stopBits = 1; // 1 or 2

    bool operator==(const LineSettings&) const = default;
};

// Bits on the wire per byte: start bit, data bits, parity bit, stop bits (10, 11 or 12 for 8 data bits).
int BitsPerByte(const LineSettings& line);

// "38400,E,8,1" — the same order and letters the tool shows in its status bar.
std::string ToText(const LineSettings& line);

// Parses "38400,E,8,1"; the trailing fields may be left off ("19200" or "19200,N").
std::optional<LineSettings> ParseLineSettings(const std::string& text);

// What the simulator saw of the client's line when a request arrived. A pseudo-terminal forces
// 8 data bits and no parity, so there only baud rate and stop bits are visible.
struct ObservedLine {
    int baud = 0; // 0: unknown rate
    int stopBits = 1;
    bool parityVisible = false;
    Parity parity = Parity::None;
    int dataBits = 8;
};

// True when a unit set to `unit` would understand a client whose line looks like `seen`.
bool Matches(const LineSettings& unit, const ObservedLine& seen);

} // namespace km4x
