// Text commands that change a running simulator, one per line ("fault silent on 1"). The
// km4x-sim executable reads them from its standard input and uses them for its start options.
#pragma once

#include "Simulator.h"

#include <string>

namespace km4x {

struct ConsoleReply {
    bool ok = true;
    std::string text; // what to print (may be empty)
    bool quit = false;
};

ConsoleReply RunConsoleCommand(Simulator& sim, const std::string& line);

// The list of console commands, for "help" and --help.
std::string ConsoleHelp();

// One request as a log line: milliseconds since `start`, unit, answered, line and the text with
// non-printable bytes written as \xHH.
std::string FormatRequest(const RequestRecord& record, std::chrono::steady_clock::time_point start);

} // namespace km4x
