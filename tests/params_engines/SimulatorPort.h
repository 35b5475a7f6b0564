#pragma once
// The real serial stack against a simulated controller on a pseudo-terminal: a simulator, a port
// opened on it (COM1 mapped to the simulator's device) and the user-interface loop that serves the
// port's callbacks in the test's thread; and the panel text of a run as the tests compare it.

#include "comm/LoopDispatcher.h"
#include "comm/ZBComm.h"
#include "params/core/TransferView.h"

#include "support/RequestTexts.h"
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
    std::vector<std::string> requests() const { return RequestTexts(sim); }

    SimulatorOnPty pty;
    km4x::Simulator& sim = pty.sim();
    LoopDispatcher ui;
    TZBComm port{&ui};
};

// Names a parameterised run by its mode: gtest's default ("4-byte object <02-00 00-00>") has spaces,
// which ctest cannot keep the run's time for, so it could not schedule the run by its cost.
inline std::string ModeName(const ::testing::TestParamInfo<TTransferMode>& info)
{
    switch (info.param) {
    case TTransferMode::Parameters: return "Parameters";
    case TTransferMode::Setpoints: return "Setpoints";
    case TTransferMode::ParametersAndSetpoints: return "ParametersAndSetpoints";
    case TTransferMode::Device: return "Device";
    }
    return "Mode" + std::to_string(static_cast<int>(info.param));
}

// A run's panel text with every language text shown as "tekst <key>".
inline std::string text(const TTransferView& view)
{
    return ComposePanelText(view.Panel, [](int key) { return "tekst " + std::to_string(key); });
}

} // namespace xfertest
