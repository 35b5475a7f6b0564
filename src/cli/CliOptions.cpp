#include "cli/CliOptions.h"

#include "app/core/CaseFold.h"
#include "app/core/Global_var.h"
#include "app/core/PortSettings.h"

#include <array>
#include <charconv>

namespace cli {

namespace {

enum class ArgumentKind { None, File, TwoFiles, Text, Directory };

struct CommandSpec {
    const char* name;
    CliCommand command;
    ArgumentKind argument;
    // A command that creates FILE insists on its extension, so a slip of the keyboard cannot
    // replace a file of another kind (a backup by a parameter list, say).
    const char* createdExtension;
    // Whether --json can give its result as a JSON document.
    bool json;
};

constexpr std::array<CommandSpec, 15> Commands{{
    {"identify", CliCommand::Identify, ArgumentKind::None, nullptr, true},
    {"read-params", CliCommand::ReadParams, ArgumentKind::File, ".app", false},
    {"read-setpoints", CliCommand::ReadSetpoints, ArgumentKind::File, ".aps", false},
    {"write-params", CliCommand::WriteParams, ArgumentKind::File, nullptr, false},
    {"write-setpoints", CliCommand::WriteSetpoints, ArgumentKind::File, nullptr, false},
    {"backup", CliCommand::Backup, ArgumentKind::File, ".bak", false},
    {"restore", CliCommand::Restore, ArgumentKind::File, nullptr, false},
    {"send", CliCommand::Send, ArgumentKind::Text, nullptr, false},
    {"bp", CliCommand::Bp, ArgumentKind::None, nullptr, false},
    {"diff", CliCommand::Diff, ArgumentKind::TwoFiles, nullptr, true},
    {"verify", CliCommand::Verify, ArgumentKind::File, nullptr, true},
    {"search", CliCommand::Search, ArgumentKind::None, nullptr, true},
    {"line-backup", CliCommand::LineBackup, ArgumentKind::Directory, nullptr, false},
    {"line-verify", CliCommand::LineVerify, ArgumentKind::Directory, nullptr, true},
    {"line-restore", CliCommand::LineRestore, ArgumentKind::Directory, nullptr, false},
}};

const CommandSpec* FindCommand(const std::string& name)
{
    for (const CommandSpec& spec : Commands)
        if (name == spec.name)
            return &spec;
    return nullptr;
}

std::optional<int> ParseWhole(const std::string& text)
{
    int value = 0;
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value, 10);
    if (text.empty() || ec != std::errc() || ptr != end)
        return std::nullopt;
    return value;
}

// "COM" followed by digits only, in any case.
bool LooksLikePortName(const std::string& text)
{
    if (text.size() < 4 || !EqualFold(text.substr(0, 3), "COM"))
        return false;
    return text.find_first_not_of("0123456789", 3) == std::string::npos;
}

bool EndsWithFold(const std::string& text, const std::string& ending)
{
    return text.size() > ending.size() && EqualFold(text.substr(text.size() - ending.size()), ending);
}

// Sets one option from its value; returns an error text or "".
std::string TakeOption(const std::string& name, const std::string& value, CliOptions& o)
{
    if (name == "--port") {
        if (value.empty())
            return "--port needs a device path or COM1..COM16";
#ifdef _WIN32
        // Windows numbers the ports of USB adapters far beyond COM16: such a port is taken as the
        // device of the port name in use, as one typed by hand in the settings.
        const bool beyondThePortNames = LooksLikePortName(value) && ParseWhole(value.substr(3)).value_or(0) > PortCount;
#else
        const bool beyondThePortNames = false;
#endif
        if (LooksLikePortName(value) && !ComPortIndex(value) && !beyondThePortNames)
            return "--port " + value + ": the port names are COM1..COM16";
        o.port = value;
        return {};
    }
    if (name == "--baud") {
        constexpr int Rates[] = {1200, 2400, 4800, 9600, 19200, 28800, 38400, 57600, 115200};
        const auto baud = ParseWhole(value);
        for (int rate : Rates)
            if (baud && *baud == rate) {
                o.baud = rate;
                return {};
            }
        return "--baud must be one of 1200 2400 4800 9600 19200 28800 38400 57600 115200, not \"" + value + "\"";
    }
    if (name == "--parity") {
        const char letter = value.size() == 1 ? static_cast<char>(value[0] & ~0x20) : '?';
        if (letter != 'N' && letter != 'E' && letter != 'O')
            return "--parity must be N, E or O, not \"" + value + "\"";
        o.parity = letter;
        return {};
    }
    if (name == "--databits") {
        const auto bits = ParseWhole(value);
        if (!bits || (*bits != 7 && *bits != 8))
            return "--databits must be 7 or 8, not \"" + value + "\"";
        o.dataBits = *bits;
        return {};
    }
    if (name == "--stopbits") {
        const auto bits = ParseWhole(value);
        if (!bits || (*bits != 1 && *bits != 2))
            return "--stopbits must be 1 or 2, not \"" + value + "\"";
        o.stopBits = *bits;
        return {};
    }
    if (name == "--unit") {
        const auto unit = ParseWhole(value);
        if (!unit || *unit < 0 || *unit > UnitNoMax)
            return "--unit must be a unit number 0..31, not \"" + value + "\"";
        o.unit = *unit;
        return {};
    }
    if (name == "--units" || name == "--replace") {
        const auto units = ParseUnitList(value);
        if (!units)
            return name + " needs unit numbers 0..31 such as 1,3,5-8, not \"" + value + "\"";
        if (name == "--units")
            o.units = *units;
        else
            o.replace = *units;
        return {};
    }
    if (name == "--from") {
        constexpr int SearchRates[] = {9600, 19200, 28800, 38400, 57600};
        const auto baud = ParseWhole(value);
        for (int rate : SearchRates)
            if (baud && *baud == rate) {
                o.searchFrom = rate;
                return {};
            }
        return "--from must be one of 9600 19200 28800 38400 57600, not \"" + value + "\"";
    }
    if (name == "--last-unit") {
        const auto unit = ParseWhole(value);
        if (!unit || *unit < 0 || *unit > UnitNoMax)
            return "--last-unit must be a unit number 0..31, not \"" + value + "\"";
        o.searchLastUnit = *unit;
        return {};
    }
    return "unknown option " + name;
}

bool TakesValue(const std::string& name)
{
    return name == "--port" || name == "--baud" || name == "--parity" || name == "--databits" ||
           name == "--stopbits" || name == "--unit" || name == "--from" ||
           name == "--last-unit" || name == "--units" || name == "--replace";
}

} // namespace

std::optional<std::vector<int>> ParseUnitList(const std::string& text)
{
    std::array<bool, UnitNoMax + 1> chosen{};
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = text.find(',', start);
        const std::string item = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        const std::size_t dash = item.find('-');
        const auto first = ParseWhole(item.substr(0, dash));
        const auto last = dash == std::string::npos ? first : ParseWhole(item.substr(dash + 1));
        if (!first || !last || *first < 0 || *last > UnitNoMax || *first > *last)
            return std::nullopt;
        for (int unit = *first; unit <= *last; ++unit)
            chosen[static_cast<std::size_t>(unit)] = true;
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    std::vector<int> units;
    for (int unit = 0; unit <= UnitNoMax; ++unit)
        if (chosen[static_cast<std::size_t>(unit)])
            units.push_back(unit);
    return units;
}

std::optional<int> ComPortIndex(const std::string& port)
{
    if (!LooksLikePortName(port))
        return std::nullopt;
    const auto number = ParseWhole(port.substr(3));
    if (!number || *number < 1 || *number > PortCount)
        return std::nullopt;
    return *number - 1;
}

CliParseResult ParseCliOptions(const std::vector<std::string>& args)
{
    CliParseResult result;
    CliOptions& o = result.options;
    std::vector<std::string> words;  // the command and its arguments, in order
    bool optionsEnded = false;

    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        // "-5" is a value of a send text ("send wp 12 -5"), not an option.
        const bool negativeNumber = arg.size() >= 2 && arg[0] == '-' && arg[1] >= '0' && arg[1] <= '9';
        if (optionsEnded || arg.size() < 2 || arg[0] != '-' || negativeNumber) {
            words.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            o.help = true;
            continue;
        }
        if (arg == "--version") {
            o.version = true;
            continue;
        }
        if (arg == "--json") {
            o.json = true;
            continue;
        }
        if (arg == "--fast") {
            o.fastReplyEnd = true;
            continue;
        }
        if (arg == "--search") {
            o.searchUnits = true;
            continue;
        }
        if (arg == "--auto-parity" || arg == "--auto-stopbits") {
            (arg == "--auto-parity" ? o.autoParity : o.autoStopbits) = true;
            continue;
        }
        const std::size_t equals = arg.find('=');
        const std::string name = arg.substr(0, equals);
        if (!TakesValue(name)) {
            result.error = "unknown option " + name;
            return result;
        }
        std::string value;
        if (equals != std::string::npos) {
            value = arg.substr(equals + 1);
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            result.error = name + " needs a value";
            return result;
        }
        result.error = TakeOption(name, value, o);
        if (!result.ok())
            return result;
    }

    if (o.help || o.version)
        return result;
    if (words.empty()) {
        result.error = "no command given";
        return result;
    }
    const CommandSpec* spec = FindCommand(words[0]);
    if (!spec) {
        result.error = "unknown command \"" + words[0] + "\"";
        return result;
    }
    o.command = spec->command;
    const bool searching = o.command == CliCommand::Search || (o.command == CliCommand::LineBackup && o.searchUnits);
    if (!searching && (o.searchFrom || o.searchLastUnit || o.autoParity || o.autoStopbits)) {
        result.error = "--from, --last-unit, --auto-parity and --auto-stopbits belong to the search command "
                       "(and to line-backup --search)";
        return result;
    }
    if (o.searchUnits && o.command != CliCommand::LineBackup) {
        result.error = "--search belongs to line-backup";
        return result;
    }
    if (o.searchUnits && o.units) {
        result.error = "line-backup takes --units or --search, not both";
        return result;
    }
    if (o.units && o.command != CliCommand::LineBackup && o.command != CliCommand::LineRestore) {
        result.error = "--units belongs to line-backup and line-restore";
        return result;
    }
    // A line command works on units of its own choosing; a single --unit is taken as that choice
    // where the command has one, and refused where it has none, never dropped.
    const bool lineCommand = o.command == CliCommand::LineBackup || o.command == CliCommand::LineVerify ||
                             o.command == CliCommand::LineRestore;
    if (o.unit && lineCommand) {
        if (o.command == CliCommand::LineVerify) {
            result.error = "--unit: line-verify checks every unit of the line backup; verify one unit with "
                           "--unit N verify DIR/FILE.bak";
            return result;
        }
        if (o.units || o.searchUnits) {
            result.error = "--unit and --units (or --search) together: name the units with --units alone";
            return result;
        }
        o.units = std::vector<int>{*o.unit};
    }
    if (!o.replace.empty() && o.command != CliCommand::LineRestore) {
        result.error = "--replace belongs to line-restore";
        return result;
    }
    if (o.json && !spec->json) {
        result.error = std::string(spec->name) + " has no JSON output (--json)";
        return result;
    }
    const std::size_t given = words.size() - 1;
    switch (spec->argument) {
    case ArgumentKind::None:
        if (given != 0)
            result.error = std::string(spec->name) + " takes no argument";
        break;
    case ArgumentKind::File:
        if (given != 1 || words[1].empty()) {
            result.error = std::string(spec->name) + " needs exactly one FILE";
        } else if (spec->createdExtension && !EndsWithFold(words[1], spec->createdExtension)) {
            result.error = std::string(spec->name) + " writes a " + spec->createdExtension + " file; \"" +
                           words[1] + "\" does not end in " + spec->createdExtension;
        } else {
            o.file = words[1];
        }
        break;
    case ArgumentKind::Directory:
        if (given != 1 || words[1].empty())
            result.error = std::string(spec->name) + " needs exactly one DIR";
        else
            o.file = words[1];
        break;
    case ArgumentKind::TwoFiles:
        if (given != 2 || words[1].empty() || words[2].empty()) {
            result.error = std::string(spec->name) + " needs exactly two FILEs";
        } else {
            o.file = words[1];
            o.secondFile = words[2];
        }
        break;
    case ArgumentKind::Text:
        if (given == 0) {
            result.error = "send needs the TEXT to send";
            break;
        }
        for (std::size_t i = 1; i < words.size(); ++i)
            o.text += (i > 1 ? " " : "") + words[i];
        break;
    }
    return result;
}

} // namespace cli
