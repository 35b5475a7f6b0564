// kmt40-cli: the program's transfers without windows, for scripts and service work.
#include "cli/CheckedOutput.h"
#include "cli/CliOutcome.h"
#include "cli/CliRun.h"
#include "cli/ProgramDirectory.h"
#include "cli/ProgressDisplay.h"
#include "comm/LoopDispatcher.h"

#include <cstring>
#include <iostream>

int main(int argc, char** argv)
{
    // The port's events run on this thread, served by the loop while a command waits.
    LoopDispatcher loop;
    UiDispatcher::SetDefault(&loop);
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    cli::CheckedOutput checked(stdout);
    std::ostream out(&checked);
    int status = cli::RunCli(args, loop, {cli::ProgramDirectory(argc > 0 ? argv[0] : nullptr), out, std::cerr,
                                          cli::IsTerminal(2)});
    UiDispatcher::SetDefault(nullptr);
    // Output that never arrived must not pass for a result.
    if (const int err = checked.Finish(); err != 0) {
        std::cerr << "kmt40-cli: cannot write standard output: " << std::strerror(err) << '\n';
        if (status == cli::ExitSuccess)
            status = cli::ExitFailure;
    }
    return status;
}
