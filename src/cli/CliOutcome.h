#pragma once
// How a run of kmt40-cli ends: its exit status and, on failure, the one line that says why.

#include <string>

namespace cli {

constexpr int ExitSuccess = 0;
constexpr int ExitFailure = 1;  // the device or a file failed
constexpr int ExitUsage = 2;    // the command line is wrong

struct CliOutcome {
    int exitCode = ExitSuccess;
    std::string message;  // printed as "kmt40-cli: <message>" on standard error

    static CliOutcome Success() { return {}; }
    static CliOutcome Failure(std::string message) { return {ExitFailure, std::move(message)}; }
};

} // namespace cli
