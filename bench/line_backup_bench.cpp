// kmt40-cli line-backup of four units on one line against four single-unit backups of the same
// units, both with the fast end of reply, measured in the same run on the same simulator (paced at
// the wire speed of 38400,E,8,1). The line work - identifying each unit, the manifest and its
// digests - should add almost nothing: the goal is a ratio of at most 1.05. The files must be the
// same bytes.
//
//   bench_line_backup [runs]

#include "CliChild.h"
#include "Simulator.h"
#include "cli/ProgramDirectory.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

const std::vector<int> Units{1, 4, 7, 12};

std::string ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> LineOptions(const std::string& path)
{
    return {"--port", path, "--baud", "38400", "--parity", "E", "--databits", "8", "--stopbits", "1", "--fast"};
}

std::string BackupName(int unit)
{
    char name[32];
    std::snprintf(name, sizeof name, "%02d-SN_0047%02d.bak", unit, unit);
    return name;
}

} // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    const std::string program = cli::ProgramDirectory(argv[0]) + "kmt40-cli";
    const std::filesystem::path work =
        std::filesystem::temp_directory_path() / ("kmt40-line-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(work);

    km4x::SimulatorOptions options;
    options.units.clear();
    for (int number : Units) {
        km4x::UnitConfig unit;
        unit.number = number;
        options.units.push_back(unit);
    }
    options.pacing = true;
    km4x::Simulator sim(options);

    std::printf("line-backup of %zu units against %zu single backups, --fast, 38400 baud paced, %d run(s)\n",
                Units.size(), Units.size(), runs);
    double best = 1e9, sum = 0;
    int failed = 0;
    for (int run = 1; run <= runs && !failed; ++run) {
        double singlesMs = 0;
        for (int unit : Units) {
            std::vector<std::string> args = LineOptions(sim.devicePath());
            args.insert(args.end(), {"--unit", std::to_string(unit), "backup", (work / ("single-" + BackupName(unit))).string()});
            const bench::CliRun single = bench::RunCliChild(program, args);
            if (single.wallMs < 0)
                failed = 1;
            singlesMs += single.wallMs;
        }
        std::filesystem::remove_all(work / "line");
        std::vector<std::string> args = LineOptions(sim.devicePath());
        args.insert(args.end(), {"line-backup", (work / "line").string(), "--units", "1,4,7,12"});
        const bench::CliRun line = failed ? bench::CliRun{} : bench::RunCliChild(program, args);
        if (line.wallMs < 0)
            failed = 1;
        for (int unit : Units)
            if (!failed && ReadFile(work / "line" / BackupName(unit)) != ReadFile(work / ("single-" + BackupName(unit))))
                failed = 2;
        if (failed) {
            std::fprintf(stderr, "run %d failed (%s)\n", run, failed == 2 ? "the files differ" : "a run of kmt40-cli failed");
            break;
        }
        const double ratio = line.wallMs / singlesMs;
        best = std::min(best, ratio);
        sum += ratio;
        std::printf("run %d  4 single backups %.0f ms  line-backup %.0f ms  ratio %.4f\n", run, singlesMs, line.wallMs, ratio);
    }
    std::filesystem::remove_all(work);
    if (failed)
        return 1;
    std::printf("line-backup / 4 single backups    %.4f best, %.4f mean  (goal <= 1.05)\n", best, sum / runs);
    return 0;
}
