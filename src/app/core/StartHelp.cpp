#include "app/core/StartHelp.h"

#include "app/core/Global_var.h"

std::optional<std::string> StartInformation(const std::vector<std::string>& args)
{
    for (const std::string& arg : args) {
        if (arg == "--version")
            return std::string("kmt40 ") + ProgramVersion + "\n";
        if (arg == "--help" || arg == "-h")
            return R"(Usage: kmt40 [--simulate] [adjustkit]

The service tool for KM40/KM41 cam and position controllers: reads, edits, writes, backs up and
restores their parameters and setpoints over a serial line, shows their live values and searches
an RS485 line for units.

  adjustkit                 (first argument) show the "Calibratie" button for calibrating the
                            analogue voltage and current output
  --simulate                run a simulated KM40 inside the program and map COM1 to it (a
                            pseudo-terminal; on Windows a loopback TCP port)
  -h, --help                show this text
  --version                 print the program version

Settings are kept in application.ini: in $XDG_CONFIG_HOME/kmt40/ (~/.config/kmt40/) when
installed, beside the program when run from the build tree.
)";
    }
    return std::nullopt;
}
