// The command line of kmt40-cli: arguments separated by NUL bytes.
#include "FuzzInput.h"

#include "cli/CliOptions.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, std::size_t Size)
{
    const std::vector<std::string> args = fuzz::SplitAt(fuzz::AsText(Data, Size), '\0');
    const cli::CliParseResult result = cli::ParseCliOptions(args);
    if (result.ok()) {
        // What the parser lets through is what the line settings can take.
        const cli::CliOptions& o = result.options;
        if ((o.unit && (*o.unit < 0 || *o.unit > 31)) || (o.dataBits && *o.dataBits != 7 && *o.dataBits != 8) ||
            (o.stopBits && *o.stopBits != 1 && *o.stopBits != 2))
            std::abort();
        if (o.port)
            (void)cli::ComPortIndex(*o.port);
    }
    for (const std::string& arg : args)
        (void)cli::ComPortIndex(arg);
    return 0;
}
