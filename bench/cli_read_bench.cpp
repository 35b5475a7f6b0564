// kmt40-cli reading a whole controller (the backup command: 400 parameters and 48 setpoints)
// against the simulator on a pseudo-terminal, compared with its floor: 448 single exchanges, each
// of which cannot end before its first reply byte, its reply bytes and 50 ms of silence.
//
// The floor is measured in the same run on the bare line, request by request, with the very
// requests the tool sends (so longer replies count in the floor, not against the tool). The
// tool's time is everything a user waits for: process start, opening the port, "sc 0", the 448
// exchanges and saving the file.
//
//   bench_cli_read [runs]

#include "BareLineFloor.h"
#include "Simulator.h"
#include "cli/ProgramDirectory.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

using bench::Clock;
constexpr int Values = 448;

std::vector<std::string> ReadRequests()
{
    std::vector<std::string> requests;
    for (int n = 0; n <= 399; ++n)
        requests.push_back("rp " + std::to_string(n));
    for (int n = 1; n <= 48; ++n)
        requests.push_back("rs " + std::to_string(n));
    return requests;
}

// Sum of the single-exchange floors of the read, request by request. 0 when the line fails.
double MeasureFloorMs(const std::string& path)
{
    bench::BareLineFloor line;
    if (!line.Open(path))
        return 0;
    double total = 0;
    for (const std::string& request : ReadRequests()) {
        const double floor = line.ExchangeMs(request);
        if (floor < 0)
            return 0;
        total += floor;
    }
    return total;
}

// Runs kmt40-cli once; its wall time in ms, or a negative number when it failed.
double RunCliMs(const std::string& program, const std::string& path, const std::string& backup)
{
    std::vector<std::string> args{program, "--port", path, "--baud", "38400", "--parity", "E", "--databits", "8",
                                  "--stopbits", "1", "--unit", "0", "backup", backup};
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const auto start = Clock::now();
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    const double wall = bench::Ms(Clock::now() - start);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? wall : -1;
}

} // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2;
    const std::string program = cli::ProgramDirectory(argv[0]) + "kmt40-cli";
    const std::filesystem::path work = std::filesystem::temp_directory_path() / ("kmt40-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(work);
    const std::string backup = (work / "bench.bak").string();

    km4x::SimulatorOptions options;
    options.pacing = true;  // reply bytes at the wire speed of 38400,E,8,1
    km4x::Simulator sim(options);

    std::printf("kmt40-cli backup: %d values, 38400 baud, simulator paced at wire speed, %d run(s)\n", Values, runs);
    double bestRatio = 1e9, ratioSum = 0;
    for (int run = 1; run <= runs; ++run) {
        const double floor = MeasureFloorMs(sim.devicePath());
        sim.clearLog();
        const double wall = floor > 0 ? RunCliMs(program, sim.devicePath(), backup) : -1;
        if (floor <= 0 || wall < 0 || sim.requestCount() != Values + 1) {
            std::fprintf(stderr, "run %d failed (floor %.1f ms, tool %.1f ms, %zu requests)\n", run, floor, wall,
                         sim.requestCount());
            std::filesystem::remove_all(work);
            return 1;
        }
        const double ratio = wall / floor;
        bestRatio = std::min(bestRatio, ratio);
        ratioSum += ratio;
        std::printf("run %d  floor %.0f ms (%d x %.2f ms)  kmt40-cli %.0f ms  ratio %.4f\n", run, floor, Values,
                    floor / Values, wall, ratio);
    }
    std::printf("kmt40-cli / floor         %.4f best, %.4f mean  (goal <= 1.03)\n", bestRatio, ratioSum / runs);
    std::filesystem::remove_all(work);
    return 0;
}
