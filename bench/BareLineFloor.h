#pragma once
// The floor of a KT750 exchange, measured on the bare line with no serial stack in between: write
// the request, read its reply up to the closing LF, and add the 50 ms of silence the stack has to
// wait for before it may take a reply as complete. No exchange can be faster than this.

#include "comm/serial/SerialLine.h"

#include <chrono>
#include <memory>
#include <string>

namespace bench {

using Clock = std::chrono::steady_clock;

// The silence after the last reply byte that ends a reply.
constexpr double SilenceMs = 50.0;

inline double Ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

class BareLineFloor {
public:
    ~BareLineFloor() { Close(); }

    // Opens the device at the simulated unit's line, 38400,E,8,1; false when it cannot.
    bool Open(const std::string& DevicePath);
    // The floor of one exchange of Request (sent with CR) in ms; negative when no whole reply came
    // within a second. WithSilence false: the time of a plain line reader, done at the LF.
    double ExchangeMs(const std::string& Request, bool WithSilence = true);
    void Close();

private:
    std::shared_ptr<zbserial::SerialLine> line_;
};

} // namespace bench
