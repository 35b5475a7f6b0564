#pragma once
// kmt40 --simulate: a simulated controller inside the program, reachable as COM1, so the tool can
// be tried without hardware. On Linux (SimulatedLine_posix.cpp) it sits on a pseudo-terminal that
// COM1 opens as a serial line; Windows has no pseudo-terminal, so there (SimulatedLine_win32.cpp)
// it answers on a loopback TCP port that COM1 opens as a raw network line.
#include "comm/ZBComm.h"

#include <memory>
#include <string>

class SimulatedLine {
public:
    // Starts one simulated unit with the given number that listens at the port's current line
    // settings, and maps COM1 to it. Throws std::runtime_error when its line cannot be opened.
    SimulatedLine(const TZBComm& port, int unitNo);
    // Stops the simulator and gives COM1 its default device back. Close the port first.
    ~SimulatedLine();
    SimulatedLine(const SimulatedLine&) = delete;
    SimulatedLine& operator=(const SimulatedLine&) = delete;

    // What COM1 opens: the pseudo-terminal, or tcp://127.0.0.1:PORT.
    std::string DevicePath() const;
    // What the window title adds: where the simulated controller is.
    std::string Description() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

class TFormMain;

// What --simulate does once the main window exists: a simulated unit with the window's unit
// number on COM1, and the window title says where it is. Null, the error shown, when it cannot
// start. Keep it until the window is gone: the window's port talks to it.
std::unique_ptr<SimulatedLine> StartSimulatedLine(TFormMain& form);
