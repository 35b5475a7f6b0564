// kmt40-cli: the program's transfers without windows, for scripts and service work.
#include "cli/CliRun.h"
#include "cli/ProgramDirectory.h"
#include "cli/ProgressDisplay.h"
#include "comm/LoopDispatcher.h"

#include <iostream>

int main(int argc, char** argv)
{
    // The port's events run on this thread, served by the loop while a command waits.
    LoopDispatcher loop;
    UiDispatcher::SetDefault(&loop);
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    const int status = cli::RunCli(args, loop, {cli::ProgramDirectory(argc > 0 ? argv[0] : nullptr), std::cout, std::cerr,
                                                cli::IsTerminal(2)});
    UiDispatcher::SetDefault(nullptr);
    return status;
}
