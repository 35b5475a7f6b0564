#pragma once
// Which line and unit a run talks to: application.ini beside the program gives the defaults (as
// the program reads them at start), the command-line options override them.

#include "app/core/PortSettings.h"
#include "cli/CliOptions.h"

#include <string>

class TZBComm;

namespace cli {

struct LineSetup {
    PortSettings port;       // ordinals, as application.ini holds them
    int unit = 0;            // the number "sc" selects
    std::string devicePath;  // the device the port opens
    bool settingsFileRead = false;
    bool lineSettingsGiven = false; // --baud, --parity, --databits or --stopbits was given
};

// Reads ProgramDir + "application.ini" (ProgramDir must be set) and applies the options. The
// [Poorten] mapping and a --port device path become the port-name mapping of the serial library.
LineSetup ResolveLineSetup(const CliOptions& options);

// Puts the settings on a closed port.
void ApplyLineSetup(TZBComm& port, const LineSetup& setup);

// "38400,E,8,1", as the status bar shows the settings.
std::string LineSettingsText(const PortSettings& port);

} // namespace cli
