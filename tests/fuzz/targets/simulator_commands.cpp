// The simulated controller's side: request lines (separated by CR) answered by one unit, and the
// simulator's command line (arguments separated by NUL bytes); the first byte chooses.
#include "FuzzInput.h"

#include "Command.h"
#include "ControllerUnit.h"
#include "SimulatorCommandLine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, std::size_t Size)
{
    const fuzz::Choice input = fuzz::TakeSelector(Data, Size);
    if (input.selector % 2 == 0) {
        km4x::ControllerUnit unit(km4x::UnitConfig{});
        const km4x::Clock::time_point now = km4x::Clock::now();
        for (const std::string& line : fuzz::SplitAt(input.rest, '\r')) {
            const std::optional<km4x::Command> command = km4x::ParseCommand(line);
            if (!command)
                continue;
            for (const std::string& arg : command->args)
                (void)km4x::ParseInt32(arg);
            (void)unit.answer(*command, now);
        }
    } else {
        (void)km4x::ParseSimulatorCommandLine(fuzz::SplitAt(input.rest, '\0'));
    }
    return 0;
}
