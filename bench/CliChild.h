#pragma once
// kmt40-cli run as a child process by a benchmark, timed from its start to its end (everything a
// user waits for), with the CPU time it used.
#include <string>
#include <vector>

namespace bench {

struct CliRun {
    double wallMs = -1; // negative: the run failed (did not start or exited other than 0)
    double cpuMs = 0;   // user + system time of the tool
};

// Runs Program with Args (without the program name); its output is discarded.
CliRun RunCliChild(const std::string& Program, const std::vector<std::string>& Args);

} // namespace bench
