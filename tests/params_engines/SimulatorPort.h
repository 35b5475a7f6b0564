#pragma once
// The real serial stack against a simulated controller on a pseudo-terminal: a simulator, a port
// opened on it (COM1 mapped to the simulator's device) and the user-interface loop that serves the
// port's callbacks in the test's thread.

#include "comm/LoopDispatcher.h"
#include "comm/ZBComm.h"

#include "support/SimulatorFixture.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace xfertest {

// Bound for anything that must happen "soon" (a full run of 448 exchanges takes some 25 s, each
// reply ending by 50 ms of silence): only a hang ever reaches it.
constexpr int Patience = 120000;

class SimulatorPort {
public:
    SimulatorPort()
    {
        port.SetPortName(pty.port());
        port.SetBaudrate(TBaudrate::br38400); // the simulated unit's line
        port.SetFrameParitybit(TParityBit::Even);
        port.Open();
    }
    ~SimulatorPort() { port.Close(); }

    // Serves the port until Done is true; false when Patience ran out.
    bool until(const std::function<bool()>& Done) { return ui.runUntil(Done, Patience); }

    // The texts of the requests the simulator received, in order.
    std::vector<std::string> requests() const
    {
        std::vector<std::string> texts;
        for (const km4x::RequestRecord& record : sim.requestLog())
            texts.push_back(record.text);
        return texts;
    }

    SimulatorOnPty pty;
    km4x::Simulator& sim = pty.sim();
    LoopDispatcher ui;
    TZBComm port{&ui};
};

// "rp 0" .. "rp 399", "rs 1" .. "rs 48" and the like.
inline std::vector<std::string> numbered(const std::string& letters, int first, int last)
{
    std::vector<std::string> texts;
    for (int n = first; n <= last; ++n)
        texts.push_back(letters + " " + std::to_string(n));
    return texts;
}

inline std::vector<std::string> joined(std::vector<std::string> a, const std::vector<std::string>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

} // namespace xfertest
