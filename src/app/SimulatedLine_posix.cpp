#include "app/SimulatedLine.h"

#include "comm/PortNames.h"

#include <Simulator.h>

#include <array>

namespace {

km4x::LineSettings lineOf(const TZBComm& port)
{
    static constexpr std::array<int, 9> rates{1200, 2400, 4800, 9600, 19200, 28800, 38400, 57600, 115200};
    km4x::LineSettings line;
    const int rate = Ordinal(port.Baudrate());
    line.baud = (rate >= 0 && rate < static_cast<int>(rates.size())) ? rates[static_cast<std::size_t>(rate)] : 9600;
    switch (port.FrameParitybit()) {
    case TParityBit::None: line.parity = km4x::Parity::None; break;
    case TParityBit::Odd: line.parity = km4x::Parity::Odd; break;
    default: line.parity = km4x::Parity::Even; break;
    }
    line.dataBits = port.FrameDatabits() == TDataBit::db_7 ? 7 : 8;
    line.stopBits = port.FrameStopbits() == TStopBit::sb_2 ? 2 : 1;
    return line;
}

} // namespace

struct SimulatedLine::Impl {
    std::unique_ptr<km4x::Simulator> simulator;
};

SimulatedLine::SimulatedLine(const TZBComm& port, int unitNo) : impl_(std::make_unique<Impl>())
{
    km4x::SimulatorOptions options;
    km4x::UnitConfig unit;
    unit.number = unitNo;
    unit.line = lineOf(port);
    options.units = {unit};
    impl_->simulator = std::make_unique<km4x::Simulator>(options);
    SetPortDevicePath(TPort::COM1, impl_->simulator->devicePath());
}

SimulatedLine::~SimulatedLine()
{
    SetPortDevicePath(TPort::COM1, std::string());
    impl_->simulator->stop();
}

std::string SimulatedLine::DevicePath() const
{
    return impl_->simulator->devicePath();
}

std::string SimulatedLine::Description() const
{
    return "simulated controller on COM1";
}
