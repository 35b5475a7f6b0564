#pragma once
// kmt40-cli against a simulated controller: the simulator runs in the test process on a
// pseudo-terminal, the tool is started as a child process that opens it.

#include "CliProcess.h"
#include "Simulator.h"
#include "support/RequestTexts.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace clitest {

// A simulator on a pty of its own and a copy of the tool: one line that no other bench shares, so
// several benches can run side by side.
class CliBench {
public:
    CliBench() : sim_(std::make_unique<km4x::Simulator>()) {}

    km4x::Simulator& sim() { return *sim_; }
    // A simulator with other units (unit numbers and texts); the old one goes away.
    void UseSimulator(km4x::SimulatorOptions options)
    {
        sim_.reset();
        sim_ = std::make_unique<km4x::Simulator>(std::move(options));
    }

    // The options that reach the simulated units' default line (38400,E,8,1).
    std::vector<std::string> LineArgs() const
    {
        return {"--port", sim_->devicePath(), "--baud", "38400", "--parity", "E", "--databits", "8", "--stopbits", "1"};
    }

    // Runs the tool on the simulator's line with the given command and options.
    ProcessResult Run(const std::vector<std::string>& args) const
    {
        std::vector<std::string> all = LineArgs();
        all.insert(all.end(), args.begin(), args.end());
        return program_.Run(all);
    }
    // Runs the tool with exactly these arguments.
    ProcessResult RunBare(const std::vector<std::string>& args) const { return program_.Run(args); }

    std::vector<std::string> Requests() const { return RequestTexts(*sim_); }

    std::string FilePath(const std::string& name) const { return program_.File(name).string(); }

    ProgramCopy program_;

private:
    std::unique_ptr<km4x::Simulator> sim_;
};

class CliTest : public ::testing::Test, public CliBench {
protected:
    using CliBench::Run; // not the test's own Run
};

// Simulated units of these numbers on one line at its default settings, each with a serial of
// its own ("SN 0047" and two digits of its number).
inline km4x::SimulatorOptions UnitsNumbered(const std::vector<int>& numbers)
{
    km4x::SimulatorOptions options;
    options.units.clear();
    for (int number : numbers) {
        km4x::UnitConfig unit;
        unit.number = number;
        options.units.push_back(unit);
    }
    return options;
}

// The one message line the tool prints on failure.
inline std::string Message(const ProcessResult& r)
{
    const std::size_t at = r.err.rfind("kmt40-cli: ");
    if (at == std::string::npos)
        return {};
    const std::size_t end = r.err.find('\n', at);
    return r.err.substr(at, end == std::string::npos ? std::string::npos : end - at);
}

} // namespace clitest
