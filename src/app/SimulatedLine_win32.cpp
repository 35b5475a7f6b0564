#include "app/SimulatedLine.h"

#include <stdexcept>

SimulatedLine::SimulatedLine(const TZBComm&, int)
{
    throw std::runtime_error(
        "--simulate works on Linux only: the simulated controller needs a pseudo-terminal, which Windows "
        "does not have. Connect a controller to a serial port, or try the simulator on a Linux machine.");
}

SimulatedLine::~SimulatedLine() = default;

std::string SimulatedLine::DevicePath() const
{
    return std::string();
}
