// Every line fault struck in the middle of kmt40-cli's transfers, the real executable against the
// simulator: the tool ends, prints one message line and exits 1, leaves the file it was given or
// would replace as it was with nothing beside it, and runs through once the line is healthy again.
// (The tool's "controls" and "queue" are its process: it has ended, so the re-run is their check.)
#include "CliFixture.h"
#include "support/LineFaultMatrix.h"

#include "params/core/BackupFile.h"
#include "params/core/ValueFiles.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <iostream>

namespace clitest {
namespace {

using namespace std::chrono_literals;
using Problems = std::vector<std::string>;

// What Heal needs of a line: the tool is given the simulator's current device on each run.
struct ToolLine {
    km4x::Simulator& s;
    km4x::Simulator& sim() { return s; }
    void remap() {}
};

int MessageLines(const std::string& err)
{
    int n = 0;
    for (std::size_t at = err.find("kmt40-cli: "); at != std::string::npos; at = err.find("kmt40-cli: ", at + 1))
        ++n;
    return n;
}

std::string ParameterText(const std::vector<int32_t>& values)
{
    std::string text = "ASCII Parameters KM4x-XXX   No: 0\r\n\r\n";
    char line[32];
    for (int n = 0; n < 400; ++n) {
        std::snprintf(line, sizeof line, "P%03d %d\r\n", n, values[static_cast<std::size_t>(n)]);
        text += line;
    }
    return text;
}

std::string BackupBytes(const std::vector<int32_t>& parameters, const std::vector<int32_t>& setpoints)
{
    const std::vector<uint8_t> bytes = FormatBackup(std::span<const int32_t, 400>(parameters.data(), 400),
                                                    std::span<const int32_t, 48>(setpoints.data(), 48));
    return std::string(bytes.begin(), bytes.end());
}

// One operation of the tool: its command on one file, where the faults strike, and what a
// completed run leaves.
struct ToolRow {
    const char* operation;
    const char* command;
    const char* file;
    std::string letters; // failing columns
    int skip;
    std::string timingLetters; // the timing columns slow every request from their strike on
    int timingSkip;
    std::chrono::milliseconds timeout;
};

class CliFaultMatrix : public CliTest {
protected:
    std::vector<int32_t> DeviceParameters()
    {
        std::vector<int32_t> values(400);
        for (int n = 0; n < 400; ++n)
            values[static_cast<std::size_t>(n)] = *sim().parameter(0, n);
        return values;
    }
    std::vector<int32_t> DeviceSetpoints()
    {
        std::vector<int32_t> values(48);
        for (int k = 1; k <= 48; ++k)
            values[static_cast<std::size_t>(k - 1)] = *sim().setpoint(0, k);
        return values;
    }

    // The file a row starts with: an earlier file the read would replace, or what a write sends.
    std::string Prepare(const ToolRow& row)
    {
        const std::string command = row.command;
        if (command == "read-params" || command == "backup")
            return "the earlier file";
        if (command == "verify")
            return BackupBytes(DeviceParameters(), DeviceSetpoints());
        // Writes: the controller's own values (so it computes them) with a few changed, and the
        // controller set apart from them, so that a completed write shows.
        writtenParameters_ = DeviceParameters();
        writtenParameters_[12] = -5;
        writtenParameters_[399] = 77777;
        writtenSetpoints_.resize(48);
        for (int k = 0; k < 48; ++k)
            writtenSetpoints_[static_cast<std::size_t>(k)] = 500 - 21 * k;
        return command == "restore" ? BackupBytes(writtenParameters_, writtenSetpoints_)
                                    : ParameterText(writtenParameters_);
    }

    void SetDeviceApart()
    {
        sim().setParameter(0, 12, 1);
        sim().setParameter(0, 399, 1);
        sim().setSetpoint(0, 48, 1);
    }

    // What a completed run must leave: the file holds the controller's values, or the controller
    // the file's.
    void CheckCompleted(const ToolRow& row, const ProcessResult& r, const std::string& path, Problems& problems)
    {
        if (r.timedOut)
            problems.push_back("no end within the bound");
        if (r.exitCode != 0 || MessageLines(r.err) != 0)
            problems.push_back("exit " + std::to_string(r.exitCode) + ": " + Message(r));
        const std::string command = row.command;
        if (command == "read-params") {
            std::vector<int32_t> values(400);
            const TFileResult parsed =
                ParseParameterText(ReadWholeFile(path), std::span<int32_t, 400>(values.data(), 400));
            if (!parsed.Ok() || values != DeviceParameters())
                problems.push_back("parameter file not the controller's values");
        } else if (command == "backup") {
            if (ReadWholeFile(path) != BackupBytes(DeviceParameters(), DeviceSetpoints()))
                problems.push_back("backup file not the controller's values");
        } else if (command == "verify") {
            if (!r.out.empty())
                problems.push_back("differences reported: " + r.out.substr(0, 60));
        } else {
            const bool setpoints = command == "restore";
            if (sim().parameter(0, 12) != -5 || sim().parameter(0, 399) != 77777 ||
                (setpoints && sim().setpoint(0, 48) != writtenSetpoints_[47]))
                problems.push_back("controller does not hold the file's values");
        }
    }

    // A run that must complete. A write waits 100 ms for its reply, and over 448 of them this
    // shared 2-core machine's scheduling alone can miss one: a run stopped by a time-out goes once
    // more. A fault that lingers after the heal stops both.
    static ProcessResult CompletingRun(const std::function<ProcessResult()>& run)
    {
        ProcessResult r = run();
        if (r.exitCode != 0 && Message(r).find("time-out") != std::string::npos)
            r = run();
        return r;
    }

    Problems Cell(const ToolRow& row, LineFault fault)
    {
        Problems problems;
        const fs::path dir = program_.Dir() / "files";
        fs::remove_all(dir);
        fs::create_directories(dir);
        const std::string path = (dir / row.file).string();
        const std::string before = Prepare(row);
        WriteWholeFile(path, before);
        const bool writes = std::string(row.command) == "write-params" || std::string(row.command) == "restore";
        auto run = [&] {
            if (writes)
                SetDeviceApart();
            return Run({"--fast", row.command, path});
        };
        auto aloneAndKept = [&](bool kept) {
            std::vector<std::string> names;
            for (const auto& entry : fs::directory_iterator(dir))
                names.push_back(entry.path().filename().string());
            if (names != std::vector<std::string>{row.file})
                problems.push_back(std::to_string(names.size() - 1) + " files left beside the file");
            if (kept && ReadWholeFile(path) != before)
                problems.push_back("file changed");
        };
        const bool timing = fault == LineFault::JustInside || fault == LineFault::JustOutside;
        ToolLine line{sim()};
        LineFaultInjector inject(sim());
        inject.Arm(fault, 0, row.timeout, timing ? row.timingLetters : row.letters, timing ? row.timingSkip : row.skip);
        const ProcessResult first = run();
        if (LineFaultFails(fault)) {
            if (first.timedOut)
                problems.push_back("no end within the bound");
            if (first.exitCode != 1 || MessageLines(first.err) != 1)
                problems.push_back("exit " + std::to_string(first.exitCode) + " with " +
                                   std::to_string(MessageLines(first.err)) + " messages");
            if (!first.out.empty())
                problems.push_back("output after a failure: " + first.out.substr(0, 60));
            aloneAndKept(true);
            // A controller still answers the request the tool gave up on, and answers the next one
            // only after that; a user's re-run comes after that late answer.
            if (fault == LineFault::JustOutside)
                std::this_thread::sleep_for(TimeOutMargin(row.timeout));
            if (!inject.Heal(line))
                problems.push_back("line could not be plugged in again");
            CheckCompleted(row, CompletingRun(run), path, problems);
        } else {
            CheckCompleted(row, first.exitCode == 0 ? first : CompletingRun(run), path, problems);
        }
        aloneAndKept(writes || std::string(row.command) == "verify");
        return problems;
    }

    void RunRows(const char* area, const std::vector<ToolRow>& rows)
    {
        FaultMatrixReport report(area);
        for (const ToolRow& row : rows)
            for (LineFault fault : AllLineFaults)
                report.Add(row.operation, fault, Cell(row, fault));
        report.Print(std::cout);
        EXPECT_TRUE(report.AllPassed()) << "a cell of the fault matrix failed (see the table above)";
    }

    std::vector<int32_t> writtenParameters_;
    std::vector<int32_t> writtenSetpoints_;
};

// The read timings are those of the read window: 1000 ms for the first reply byte.
TEST_F(CliFaultMatrix, ReadBackupAndVerifyUnderEveryLineFault)
{
    RunRows("kmt40-cli read, backup, verify",
            {{"read-params", "read-params", "unit.app", "rp", 120, "rp", 398, 1000ms},
             {"backup", "backup", "unit.bak", "rp", 120, "rs", 46, 1000ms},
             {"verify", "verify", "unit.bak", "rs", 10, "rs", 46, 1000ms}});
}

// Writes wait 100 ms for the first reply byte, the computation 2000 ms; the timing columns strike
// the last two writes of write-params, and the computation of restore.
TEST_F(CliFaultMatrix, WriteAndRestoreUnderEveryLineFault)
{
    RunRows("kmt40-cli write, restore",
            {{"write-params", "write-params", "unit.app", "wp", 40, "wp", 398, 100ms},
             {"restore", "restore", "unit.bak", "wp", 40, "ws", 48, 2000ms}});
}

} // namespace
} // namespace clitest
