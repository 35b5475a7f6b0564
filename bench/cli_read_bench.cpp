// kmt40-cli reading a whole controller (the backup command: 400 parameters and 48 setpoints)
// against the simulator on a pseudo-terminal, compared with its floor: 448 single exchanges, each
// of which cannot end before its first reply byte, its reply bytes and 50 ms of silence.
//
// With --fast a reply ends at its CR LF. Its floor is a plain line reader on the bare line (a reply
// ends at LF), what a user's own script would get; the speed-up over the specified end and the CPU
// time per exchange of both modes are reported too.
//
// The floor is measured in the same run on the bare line, request by request, with the very
// requests the tool sends (so longer replies count in the floor, not against the tool). The
// tool's time is everything a user waits for: process start, opening the port, "sc 0", the 448
// exchanges and saving the file.
//
//   bench_cli_read [runs]

#include "BareLineFloor.h"
#include "CliChild.h"
#include "Simulator.h"
#include "cli/ProgramDirectory.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

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

struct Floors {
    double silenceMs = 0; // every reply ended by 50 ms of silence
    double lineMs = 0;    // every reply ended at its LF
};

// Sums of the single-exchange floors of the read, request by request. Zeros when the line fails.
Floors MeasureFloors(const std::string& path)
{
    bench::BareLineFloor line;
    Floors floors;
    if (!line.Open(path))
        return {};
    for (const std::string& request : ReadRequests()) {
        const double lineMs = line.ExchangeMs(request, false);
        if (lineMs < 0)
            return {};
        floors.lineMs += lineMs;
        floors.silenceMs += lineMs + bench::SilenceMs;
    }
    return floors;
}

// Runs kmt40-cli once.
bench::CliRun RunCli(const std::string& program, const std::string& path, const std::string& backup, bool fast)
{
    std::vector<std::string> args{"--port", path, "--baud", "38400", "--parity", "E", "--databits", "8",
                                  "--stopbits", "1", "--unit", "0", "backup", backup};
    if (fast)
        args.push_back("--fast");
    return bench::RunCliChild(program, args);
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2;
    const std::string program = cli::ProgramDirectory(argv[0]) + "kmt40-cli";
    const std::filesystem::path work = std::filesystem::temp_directory_path() / ("kmt40-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(work);
    const std::string backup = (work / "bench.bak").string();
    const std::string fastBackup = (work / "bench-fast.bak").string();

    km4x::SimulatorOptions options;
    options.pacing = true;  // reply bytes at the wire speed of 38400,E,8,1
    km4x::Simulator sim(options);
    const int exchanges = Values + 1; // "sc 0" and the 448 reads

    std::printf("kmt40-cli backup: %d values, 38400 baud, simulator paced at wire speed, %d run(s)\n", Values, runs);
    double bestRatio = 1e9, ratioSum = 0, bestFastRatio = 1e9, fastRatioSum = 0, bestSpeedUp = 0;
    double cpuSum = 0, fastCpuSum = 0;
    for (int run = 1; run <= runs; ++run) {
        const Floors floors = MeasureFloors(sim.devicePath());
        sim.clearLog();
        const bench::CliRun specified =
            floors.lineMs > 0 ? RunCli(program, sim.devicePath(), backup, false) : bench::CliRun{};
        const std::size_t specifiedRequests = sim.requestCount();
        sim.clearLog();
        const bench::CliRun fast =
            specified.wallMs > 0 ? RunCli(program, sim.devicePath(), fastBackup, true) : bench::CliRun{};
        if (floors.lineMs <= 0 || specified.wallMs < 0 || fast.wallMs < 0 ||
            specifiedRequests != static_cast<std::size_t>(exchanges) ||
            sim.requestCount() != static_cast<std::size_t>(exchanges)) {
            std::fprintf(stderr, "run %d failed (floor %.1f ms, tool %.1f ms, fast %.1f ms, %zu requests)\n", run,
                         floors.silenceMs, specified.wallMs, fast.wallMs, specifiedRequests);
            std::filesystem::remove_all(work);
            return 1;
        }
        if (ReadFile(backup) != ReadFile(fastBackup)) {
            std::fprintf(stderr, "run %d: the fast end of reply saved other bytes\n", run);
            std::filesystem::remove_all(work);
            return 1;
        }
        const double ratio = specified.wallMs / floors.silenceMs;
        const double fastRatio = fast.wallMs / floors.lineMs;
        bestRatio = std::min(bestRatio, ratio);
        ratioSum += ratio;
        bestFastRatio = std::min(bestFastRatio, fastRatio);
        fastRatioSum += fastRatio;
        bestSpeedUp = std::max(bestSpeedUp, specified.wallMs / fast.wallMs);
        cpuSum += specified.cpuMs;
        fastCpuSum += fast.cpuMs;
        std::printf("run %d  floor %.0f ms (%d x %.2f ms)  kmt40-cli %.0f ms  ratio %.4f\n", run, floors.silenceMs,
                    Values, floors.silenceMs / Values, specified.wallMs, ratio);
        std::printf("       line reader %.0f ms (%d x %.2f ms)  kmt40-cli --fast %.0f ms  ratio %.4f  speed-up %.1fx\n",
                    floors.lineMs, Values, floors.lineMs / Values, fast.wallMs, fastRatio,
                    specified.wallMs / fast.wallMs);
    }
    std::printf("kmt40-cli / floor                 %.4f best, %.4f mean  (goal <= 1.03)\n", bestRatio, ratioSum / runs);
    std::printf("kmt40-cli --fast / line reader    %.4f best, %.4f mean  (goal <= 1.1)\n", bestFastRatio,
                fastRatioSum / runs);
    std::printf("speed-up of --fast                %.1fx best  (goal >= 15)\n", bestSpeedUp);
    std::printf("CPU per exchange                  %.3f ms specified end, %.3f ms --fast  (goal < 0.15)\n",
                cpuSum / runs / exchanges, fastCpuSum / runs / exchanges);
    std::filesystem::remove_all(work);
    return 0;
}
