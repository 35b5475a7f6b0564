#include "SimulatorCommandLine.h"

#include "SimulatorConsole.h"

namespace km4x {

namespace {

std::vector<std::string> SplitColons(const std::string& text, size_t maxParts)
{
    std::vector<std::string> parts;
    size_t start = 0;
    while (parts.size() + 1 < maxParts) {
        const size_t colon = text.find(':', start);
        if (colon == std::string::npos)
            break;
        parts.push_back(text.substr(start, colon - start));
        start = colon + 1;
    }
    parts.push_back(text.substr(start));
    return parts;
}

std::optional<int32_t> NonNegative(const std::string& text)
{
    const auto value = ParseInt32(text);
    if (!value || *value < 0)
        return std::nullopt;
    return value;
}

} // namespace

std::string SimulatorUsage()
{
    return "Usage: km4x-sim [options]\n"
           "\n"
           "Simulates KM40/KM41 controllers on a serial line. Opens a pseudo-terminal (or the device\n"
           "given with --device) and prints the path a client opens as the first line of output.\n"
           "Runs until SIGINT/SIGTERM or the console command quit. Each unit answers the ASCII\n"
           "protocol (two echoed letters, a blank, the answer, CR LF) only when the client's baud\n"
           "rate and stop bits match its own, and only while it is selected with \"sc n\".\n"
           "\n"
           "Options:\n"
           "  --unit N[:SETTINGS[:TYPE]]  a unit with number N (0..31), line settings\n"
           "                         BAUD[,PARITY[,DATABITS[,STOPBITS]]] (default 38400,E,8,1) and\n"
           "                         type text TYPE (default \"KM40 V2.31\"); repeat for more units.\n"
           "                         Without --unit: one unit 0 at 38400,E,8,1. The first unit starts\n"
           "                         selected.\n"
           "  --device PATH          answer on this serial device instead of a pseudo-terminal\n"
           "  --link PATH            also make PATH a symbolic link to the pseudo-terminal\n"
           "  --delay MS             answer delay (default 0)\n"
           "  --pacing               send reply bytes at the wire speed of the unit's settings\n"
           "  --slow MS              delay of the slow fault (default 500)\n"
           "  --long BYTES           length of the over-long value (default 600)\n"
           "  --noise BYTES          noise bytes before each reply under the noise fault (default 8)\n"
           "  --fault NAME[:UNIT[:CMD]]  switch a fault on from the start (UNIT: a number or all)\n"
           "  --refuse N[:UNIT]      answer \"wp N v\" with \"er 7\"\n"
           "  --log FILE             append every request to FILE (time, unit, answered, line, text)\n"
           "  --seed N               seed of the noise bytes\n"
           "  --help                 this text\n"
           "  --version              print the program version\n"
           "\n"
           "Faults: silent, slow, echo-once, echo-always, garbage, long, noise, refuse, cut-end,\n"
           "doubled, other-value, other-number.\n"
           "\n"
           + ConsoleHelp();
}

SimulatorCommandLine ParseSimulatorCommandLine(const std::vector<std::string>& args)
{
    SimulatorCommandLine result;
    std::vector<UnitConfig> units;
    auto fail = [&](const std::string& why) {
        result.error = why;
        return result;
    };

    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            result.help = true;
            continue;
        }
        if (arg == "--version") {
            result.version = true;
            continue;
        }
        if (arg == "--pacing") {
            result.options.pacing = true;
            continue;
        }
        const bool takesValue = arg == "--unit" || arg == "--device" || arg == "--link" || arg == "--delay"
            || arg == "--slow" || arg == "--long" || arg == "--noise" || arg == "--fault" || arg == "--refuse"
            || arg == "--log" || arg == "--seed";
        if (!takesValue)
            return fail("unknown option " + arg);
        if (i + 1 >= args.size())
            return fail(arg + " needs a value");
        const std::string& value = args[++i];

        if (arg == "--unit") {
            const auto parts = SplitColons(value, 3);
            UnitConfig unit;
            const auto number = NonNegative(parts[0]);
            if (!number || *number > 31)
                return fail("unit number must be 0..31: " + value);
            unit.number = *number;
            if (parts.size() > 1) {
                const auto line = ParseLineSettings(parts[1]);
                if (!line)
                    return fail("bad line settings: " + parts[1]);
                unit.line = *line;
            }
            if (parts.size() > 2)
                unit.typeText = parts[2];
            units.push_back(unit);
        } else if (arg == "--device") {
            result.options.devicePath = value;
        } else if (arg == "--link") {
            result.options.linkPath = value;
        } else if (arg == "--log") {
            result.logFile = value;
        } else if (arg == "--fault") {
            const auto parts = SplitColons(value, 3);
            if (!FaultFromName(parts[0]))
                return fail("unknown fault " + parts[0]);
            std::string command = "fault " + parts[0] + " on " + (parts.size() > 1 ? parts[1] : "all");
            if (parts.size() > 2)
                command += " " + parts[2];
            result.startCommands.push_back(command);
        } else if (arg == "--refuse") {
            const auto parts = SplitColons(value, 2);
            if (!NonNegative(parts[0]))
                return fail("bad parameter number " + parts[0]);
            result.startCommands.push_back("refuse " + parts[0] + " " + (parts.size() > 1 ? parts[1] : "all"));
        } else {
            const auto number = NonNegative(value);
            if (!number)
                return fail(arg + " needs a non-negative number");
            if (arg == "--delay")
                result.options.answerDelay = std::chrono::milliseconds(*number);
            else if (arg == "--slow")
                result.options.faultSettings.slowDelay = std::chrono::milliseconds(*number);
            else if (arg == "--long")
                result.options.faultSettings.overLongLength = static_cast<size_t>(*number);
            else if (arg == "--noise")
                result.options.faultSettings.noiseLength = static_cast<size_t>(*number);
            else
                result.options.seed = static_cast<uint32_t>(*number);
        }
    }
    if (!units.empty())
        result.options.units = units;
    return result;
}

} // namespace km4x
