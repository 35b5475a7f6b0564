#pragma once
// A KM4x simulator on a pseudo-terminal with a COM port name mapped to it, so the real serial
// stack (TZBComm on the POSIX backend) talks to it end to end. Header-only; link km4xsim and zbcomm.

#include "Simulator.h"
#include "comm/PortNames.h"

#include <memory>
#include <string>

class SimulatorOnPty {
public:
    explicit SimulatorOnPty(km4x::SimulatorOptions Options = {}, TPort Port = TPort::COM1)
        : port_(Port), sim_(std::make_unique<km4x::Simulator>(std::move(Options)))
    {
        remap();
    }
    ~SimulatorOnPty() { SetPortDevicePath(port_, ""); }
    SimulatorOnPty(const SimulatorOnPty&) = delete;
    SimulatorOnPty& operator=(const SimulatorOnPty&) = delete;

    km4x::Simulator& sim() { return *sim_; }
    km4x::Simulator* operator->() { return sim_.get(); }
    TPort port() const { return port_; }

    // Points the port name at the simulator's current device (after reopenLine it may change).
    void remap() { SetPortDevicePath(port_, sim_->devicePath()); }

private:
    TPort port_;
    std::unique_ptr<km4x::Simulator> sim_;
};
