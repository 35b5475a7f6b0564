#pragma once
// kmt40 --simulate: a simulated controller on a pseudo-terminal inside the program, reachable as
// COM1, so the tool can be tried without hardware. Linux only (SimulatedLine_posix.cpp): Windows
// has no pseudo-terminal a serial port can be opened on, and there the constructor throws with a
// message that says so (SimulatedLine_win32.cpp).
#include "comm/ZBComm.h"

#include <memory>
#include <string>

namespace km4x {
class Simulator;
}

class SimulatedLine {
public:
    // Starts one simulated unit with the given number that listens at the port's current line
    // settings, and maps COM1 to its pseudo-terminal. Throws std::runtime_error when the
    // pseudo-terminal cannot be opened, and always on Windows.
    SimulatedLine(const TZBComm& port, int unitNo);
    // Stops the simulator and gives COM1 its default device back. Close the port first.
    ~SimulatedLine();
    SimulatedLine(const SimulatedLine&) = delete;
    SimulatedLine& operator=(const SimulatedLine&) = delete;

    std::string DevicePath() const;
    km4x::Simulator& Simulator() { return *simulator_; }

private:
    // Shared only so that a build without the simulator (Windows) needs no complete type of it.
    std::shared_ptr<km4x::Simulator> simulator_;
};
