#pragma once
// One run of kmt40-cli from its arguments to its exit status.

#include <ostream>
#include <string>
#include <vector>

class LoopDispatcher;

namespace cli {

struct CliEnvironment {
    std::string programDir;  // where application.ini is looked up, with a trailing separator
    std::ostream& out;       // the command's output (identification texts, raw replies)
    std::ostream& err;       // progress and messages
    bool errIsTerminal = false;
};

// args excludes the program name. Loop is the user-interface loop the port's events run on; the
// calling thread must be its thread.
int RunCli(const std::vector<std::string>& args, LoopDispatcher& loop, const CliEnvironment& env);

} // namespace cli
