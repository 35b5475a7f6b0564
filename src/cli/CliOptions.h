#pragma once
// The command line of kmt40-cli: line options, one command and its arguments. Parsing only checks
// the form of what was typed; the settings file fills in what the options leave open.

#include <optional>
#include <string>
#include <vector>

namespace cli {

enum class CliCommand {
    Identify,
    ReadParams,
    ReadSetpoints,
    WriteParams,
    WriteSetpoints,
    Backup,
    Restore,
    Send,
    Bp,
    Diff,
    Verify,
    Search,
    LineBackup,
    LineVerify,
    LineRestore,
};

struct CliOptions {
    // Line options; unset ones come from application.ini.
    std::optional<std::string> port;  // "COMn" or a device path
    std::optional<int> baud;          // one of the rates the port component knows
    std::optional<char> parity;       // 'N', 'E' or 'O'
    std::optional<int> dataBits;      // 7 or 8
    std::optional<int> stopBits;      // 1 or 2
    std::optional<int> unit;          // 0..31

    // search: the baud rate to start at and whether parities and stop bits are tried too.
    std::optional<int> searchFrom;
    std::optional<int> searchLastUnit;  // unit numbers 0..N only (default 31)
    bool autoParity = false;
    bool autoStopbits = false;
    // The line commands: the units to work on (--units 1,3,5-8), whether line-backup finds them with
    // the device search (its options above then apply), and the units restore may put on new
    // hardware (--replace).
    std::optional<std::vector<int>> units;
    bool searchUnits = false;
    std::vector<int> replace;
    // A reply ends at its CR LF instead of 50 ms of silence (also when application.ini says so).
    bool fastReplyEnd = false;

    // One JSON document on standard output instead of the text (commands whose result is a record).
    bool json = false;

    bool help = false;
    bool version = false;
    CliCommand command = CliCommand::Identify;
    std::string file;        // the FILE of the file commands (diff: the first), the DIR of the line commands
    std::string secondFile;  // diff: the second FILE
    std::string text;  // the TEXT of "send" (several words are joined by single blanks)
};

struct CliParseResult {
    CliOptions options;
    std::string error;  // empty when the command line is usable

    bool ok() const { return error.empty(); }
};

// args excludes the program name. Options may stand before or after the command; "--" ends them,
// so a "send" text may start with "-". Options take their value as "--baud 9600" or "--baud=9600".
CliParseResult ParseCliOptions(const std::vector<std::string>& args);

// "1,3,5-8" -> 1 3 5 6 7 8 (each unit number 0..31, in rising order, each once); nullopt when the
// text is no such list.
std::optional<std::vector<int>> ParseUnitList(const std::string& text);

// The port index (0 = COM1 .. 15 = COM16) when port is a port name such as "COM3" or "com3";
// nullopt for a device path.
std::optional<int> ComPortIndex(const std::string& port);

} // namespace cli
