#include "cli/LineSetup.h"

#include "app/core/Global_var.h"
#include "app/core/Settings.h"
#include "comm/PortNames.h"
#include "comm/ZBComm.h"
#include "device/core/PortSettingsBridge.h"
#include "device/core/StatusTexts.h"

#include <array>

namespace cli {

namespace {

constexpr std::array<int, 9> BaudRates{1200, 2400, 4800, 9600, 19200, 28800, 38400, 57600, 115200};

int BaudOrdinal(int baud)
{
    for (std::size_t i = 0; i < BaudRates.size(); ++i)
        if (BaudRates[i] == baud)
            return static_cast<int>(i);
    return -1;
}

int ParityOrdinal(char letter)
{
    return letter == 'E' ? Ordinal(TParityBit::Even) : letter == 'O' ? Ordinal(TParityBit::Odd) : Ordinal(TParityBit::None);
}

} // namespace

LineSetup ResolveLineSetup(const CliOptions& options)
{
    LineSetup setup;
    setup.settingsFileRead = Configfile_lezen(setup.port);
    setup.unit = UnitNo;
    device::ApplyPortDevicePaths(setup.port);

    if (options.port) {
        if (auto index = ComPortIndex(*options.port)) {
            setup.port.PortName = *index;
        } else {
            // A device path is given to the port name already chosen, so that name is what the
            // port opens in this run.
            SetPortDevicePath(static_cast<TPort>(setup.port.PortName), *options.port);
        }
    }
    if (options.baud)
        setup.port.Baudrate = BaudOrdinal(*options.baud);
    if (options.parity)
        setup.port.FrameParitybit = ParityOrdinal(*options.parity);
    if (options.dataBits)
        setup.port.FrameDatabits = *options.dataBits == 7 ? Ordinal(TDataBit::db_7) : Ordinal(TDataBit::db_8);
    if (options.stopBits)
        setup.port.FrameStopbits = *options.stopBits == 2 ? Ordinal(TStopBit::sb_2) : Ordinal(TStopBit::sb_1);
    setup.lineSettingsGiven = options.baud || options.parity || options.dataBits || options.stopBits;
    if (options.unit)
        setup.unit = *options.unit;
    if (options.fastReplyEnd)
        setup.port.FastReplyEnd = true;
    setup.devicePath = PortDevicePath(static_cast<TPort>(setup.port.PortName));
    return setup;
}

void ApplyLineSetup(TZBComm& port, const LineSetup& setup)
{
    device::ApplyPortSettings(port, setup.port);
}

std::string LineSettingsText(const PortSettings& port)
{
    return device::LineSettingsText(static_cast<TBaudrate>(port.Baudrate), static_cast<TParityBit>(port.FrameParitybit),
                                    static_cast<TDataBit>(port.FrameDatabits), static_cast<TStopBit>(port.FrameStopbits));
}

} // namespace cli
