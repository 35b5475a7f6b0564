// The km4x-sim command line.
#pragma once

#include "Simulator.h"

#include <string>
#include <vector>

namespace km4x {

struct SimulatorCommandLine {
    SimulatorOptions options;
    std::vector<std::string> startCommands; // console commands run before the line is announced
    std::string logFile;
    bool help = false;
    bool version = false;
    std::string error; // non-empty: the command line was not understood
};

// args without the program name.
SimulatorCommandLine ParseSimulatorCommandLine(const std::vector<std::string>& args);

std::string SimulatorUsage();

} // namespace km4x
