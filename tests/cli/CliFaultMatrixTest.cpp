// Every line fault struck in the middle of kmt40-cli's commands, the real executable against the
// simulator: the tool ends, prints one message line and exits 1 (the line commands: the struck
// unit fails), leaves the file or folder it was given or would replace as it was with nothing
// beside it, and runs through once the line is healthy again. (The tool's "controls" and "queue"
// are its process: it has ended, so the re-run is their check.)
#include "CliFixture.h"
#include "support/LineFaultMatrix.h"

#include "params/core/BackupFile.h"
#include "params/core/ValueFiles.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <iostream>
#include <map>
#include <thread>

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

// What a completed run must leave.
enum class Outcome {
    ParameterFile,   // the file holds the controller's parameters
    SetpointFile,    // the file holds the controller's setpoints
    BackupFile,      // the file holds the controller's backup
    ControllerHolds, // the controller holds what the file or folder sent
    SameOutput,      // standard output as a healthy run prints it
    LineBackup,      // one backup per unit, each the unit's values, and the manifest
};

// One operation of the tool: its command (PATH stands for the row's file or folder), where the
// faults strike, and what a completed run leaves.
struct ToolRow {
    const char* operation;
    std::vector<std::string> command;
    const char* file; // "": none; the line commands' folder
    Outcome outcome;
    std::string letters; // failing columns
    int skip;
    std::string timingLetters; // the timing columns slow every request from their strike on
    int timingSkip;
    std::chrono::milliseconds timeout; // of the requests the timing columns strike
    // "send" prints whatever came back, as the terminal shows it: a wrong reply is its result.
    bool printsAnyReply = false;
    // What the message of a failing column must name ("": not checked).
    const char* failureNames = "";
};

const std::vector<int> LineUnits{1, 2};
constexpr int StruckLineUnit = 2;

bool IsLineCommand(const ToolRow& row) { return row.command[0].rfind("line-", 0) == 0; }

// The folder as it stands: names and bytes, for "left as it was".
std::map<std::string, std::string> Snapshot(const fs::path& dir)
{
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(dir))
        if (entry.is_regular_file())
            files[fs::relative(entry.path(), dir).string()] = ReadWholeFile(entry.path());
    return files;
}

class CliFaultMatrix : public CliTest {
protected:
    std::vector<int> Units() const { return lineRows_ ? LineUnits : std::vector<int>{0}; }
    int StruckUnit() const { return lineRows_ ? StruckLineUnit : 0; }

    std::vector<int32_t> DeviceParameters(int unit)
    {
        std::vector<int32_t> values(400);
        for (int n = 0; n < 400; ++n)
            values[static_cast<std::size_t>(n)] = *sim().parameter(unit, n);
        return values;
    }
    std::vector<int32_t> DeviceSetpoints(int unit)
    {
        std::vector<int32_t> values(48);
        for (int k = 1; k <= 48; ++k)
            values[static_cast<std::size_t>(k - 1)] = *sim().setpoint(unit, k);
        return values;
    }

    // Sets the controllers apart from what a write sends, so that a completed write shows.
    void SetDevicesApart()
    {
        for (int unit : Units()) {
            sim().setParameter(unit, 12, 1);
            sim().setParameter(unit, 399, 1);
            sim().setSetpoint(unit, 48, 1);
        }
    }

    // What a row starts with: an earlier file the read would replace, what a write sends, or a
    // whole line backup (made healthy).
    void Prepare(const ToolRow& row, const fs::path& path)
    {
        const std::string& command = row.command[0];
        if (IsLineCommand(row)) {
            if (command != "line-backup") {
                const ProcessResult made = Run({"--fast", "line-backup", path.string(), "--units", "1,2"});
                EXPECT_EQ(made.exitCode, 0) << made.err;
            }
            // The backups hold the values of now; the units are moved away before each run.
            writtenParameters_ = DeviceParameters(StruckLineUnit);
            writtenSetpoints_ = DeviceSetpoints(StruckLineUnit);
            return;
        }
        if (!*row.file)
            return;
        std::string before = "the earlier file";
        if (command == "verify")
            before = BackupBytes(DeviceParameters(0), DeviceSetpoints(0));
        if (row.outcome == Outcome::ControllerHolds) {
            // The controller's own values (so it computes them) with a few changed.
            writtenParameters_ = DeviceParameters(0);
            writtenParameters_[12] = -5;
            writtenParameters_[399] = 77777;
            writtenSetpoints_.resize(48);
            for (int k = 0; k < 48; ++k)
                writtenSetpoints_[static_cast<std::size_t>(k)] = 500 - 21 * k;
            if (command == "write-setpoints") {
                const TFileResult saved =
                    SaveSetpointFile(path.string(), std::span<const int32_t, 48>(writtenSetpoints_.data(), 48), 0);
                EXPECT_TRUE(saved.Ok());
                return;
            }
            before = command == "restore" ? BackupBytes(writtenParameters_, writtenSetpoints_) : ParameterText(writtenParameters_);
        }
        WriteWholeFile(path, before);
    }

    void CheckCompleted(const ToolRow& row, const ProcessResult& r, const fs::path& path, Problems& problems)
    {
        if (r.timedOut)
            problems.push_back("no end within the bound");
        if (r.exitCode != 0 || MessageLines(r.err) != 0)
            problems.push_back("exit " + std::to_string(r.exitCode) + ": " + Message(r));
        const std::string& command = row.command[0];
        switch (row.outcome) {
        case Outcome::ParameterFile: {
            std::vector<int32_t> values(400);
            const TFileResult parsed = ParseParameterText(ReadWholeFile(path), std::span<int32_t, 400>(values.data(), 400));
            if (!parsed.Ok() || values != DeviceParameters(0))
                problems.push_back("parameter file not the controller's values");
            break;
        }
        case Outcome::SetpointFile: {
            std::vector<int32_t> values(48);
            const TFileResult parsed = ParseSetpointText(ReadWholeFile(path), std::span<int32_t, 48>(values.data(), 48));
            if (!parsed.Ok() || values != DeviceSetpoints(0))
                problems.push_back("setpoint file not the controller's values");
            break;
        }
        case Outcome::BackupFile:
            if (ReadWholeFile(path) != BackupBytes(DeviceParameters(0), DeviceSetpoints(0)))
                problems.push_back("backup file not the controller's values");
            break;
        case Outcome::ControllerHolds:
            if (command == "line-restore") {
                if (DeviceParameters(StruckLineUnit) != writtenParameters_ || DeviceSetpoints(StruckLineUnit) != writtenSetpoints_)
                    problems.push_back("the struck unit does not hold its backup");
            } else if ((command != "write-setpoints" && (sim().parameter(0, 12) != -5 || sim().parameter(0, 399) != 77777)) ||
                       (command != "write-params" && sim().setpoint(0, 48) != writtenSetpoints_[47])) {
                problems.push_back("controller does not hold the file's values");
            }
            break;
        case Outcome::SameOutput:
            if (r.out != healthyOutput_)
                problems.push_back("output '" + r.out.substr(0, 60) + "', healthy '" + healthyOutput_.substr(0, 60) + "'");
            break;
        case Outcome::LineBackup:
            for (int unit : Units()) {
                char name[32];
                std::snprintf(name, sizeof name, "%02d-SN_0047%02d.bak", unit, unit);
                if (ReadWholeFile(path / name) != BackupBytes(DeviceParameters(unit), DeviceSetpoints(unit)))
                    problems.push_back(std::string(name) + " not the unit's values");
            }
            if (!fs::exists(path / "line.csv"))
                problems.push_back("no manifest");
            break;
        }
    }

    // A failed run leaves the files as they were with nothing beside them; a failed line backup
    // keeps the units it finished and their manifest, and no file of the struck unit.
    void CheckLeftAsItWas(const ToolRow& row, const fs::path& dir, const std::map<std::string, std::string>& before,
                          Problems& problems)
    {
        const auto now = Snapshot(dir);
        if (row.outcome != Outcome::LineBackup) {
            if (now != before)
                problems.push_back("files changed or left beside them (" + std::to_string(now.size()) + " files, " +
                                   std::to_string(before.size()) + " before)");
            return;
        }
        char struck[16];
        std::snprintf(struck, sizeof struck, "%02d-", StruckUnit());
        for (const auto& entry : now) {
            const std::string leaf = fs::path(entry.first).filename().string();
            if (entry.first.rfind("line/earlier-", 0) != 0 &&
                (leaf.rfind(struck, 0) == 0 || leaf.find(".tmp") != std::string::npos))
                problems.push_back("left " + entry.first);
        }
        if (now.find("line/line.csv") == now.end())
            problems.push_back("no manifest of the units done");
    }

    // A healed run is the user's next attempt: it must complete at once; only a stall of the
    // machine proven from outside repeats the cell (FaultMatrixReport).
    Problems Cell(const ToolRow& row, LineFault fault, ReplyEnd end)
    {
        Problems problems;
        const fs::path dir = program_.Dir() / "files";
        fs::remove_all(dir);
        fs::create_directories(dir);
        const bool line = IsLineCommand(row);
        const fs::path path = *row.file ? dir / row.file : fs::path();
        Prepare(row, path);
        std::vector<std::string> args;
        if (end == ReplyEnd::Fast)
            args.push_back("--fast");
        for (const std::string& word : row.command)
            args.push_back(word == "PATH" ? path.string() : word);
        const bool writes = row.outcome == Outcome::ControllerHolds;
        auto run = [&] {
            if (writes)
                SetDevicesApart();
            return Run(args);
        };
        const auto before = Snapshot(dir);
        const bool timing = fault == LineFault::JustInside || fault == LineFault::JustOutside;
        ToolLine lineToHeal{sim()};
        LineFaultInjector inject(sim());
        inject.Arm(fault, StruckUnit(), row.timeout, timing ? row.timingLetters : row.letters,
                   timing ? row.timingSkip : row.skip);
        const ProcessResult first = run();
        if (!inject.Struck())
            problems.push_back("the fault never struck (" + Message(first) + ")");
        const bool replyShown = row.printsAnyReply && (fault == LineFault::WrongEcho || fault == LineFault::Refused ||
                                                       fault == LineFault::Garbage || fault == LineFault::OtherNumber);
        if (replyShown) {
            if (first.exitCode != 0 || first.out.empty() || first.out == healthyOutput_)
                problems.push_back("exit " + std::to_string(first.exitCode) + ", the reply not shown as it came");
            inject.Heal();
            CheckCompleted(row, run(), path, problems);
        } else if (LineFaultFails(fault)) {
            if (first.timedOut)
                problems.push_back("no end within the bound");
            if (line) {
                // Each unit's outcome is a line of its own; the struck unit's is not "ok".
                char struck[16];
                std::snprintf(struck, sizeof struck, "unit %02d: ok", StruckUnit());
                if (first.exitCode != 1 || (first.out + first.err).find(struck) != std::string::npos)
                    problems.push_back("exit " + std::to_string(first.exitCode) + ", the struck unit not failed");
            } else {
                if (first.exitCode != 1 || MessageLines(first.err) != 1)
                    problems.push_back("exit " + std::to_string(first.exitCode) + " with " +
                                       std::to_string(MessageLines(first.err)) + " messages");
                if (!first.out.empty())
                    problems.push_back("output after a failure: " + first.out.substr(0, 60));
                if (Message(first).find(row.failureNames) == std::string::npos)
                    problems.push_back("message does not name " + std::string(row.failureNames) + ": " + Message(first));
            }
            CheckLeftAsItWas(row, dir, before, problems);
            // A controller still answers the request the tool gave up on, and answers the next one
            // only after that; a user's re-run comes after that late answer.
            if (fault == LineFault::JustOutside)
                std::this_thread::sleep_for(TimeOutMargin(row.timeout));
            if (!inject.Heal(lineToHeal))
                problems.push_back("line could not be plugged in again");
            CheckCompleted(row, run(), path, problems);
        } else {
            CheckCompleted(row, first, path, problems);
        }
        inject.Heal(); // the timing columns' delay too, before the next cell prepares
        return problems;
    }

    void RunRows(const char* area, const std::vector<ToolRow>& rows, std::initializer_list<ReplyEnd> ends)
    {
        for (ReplyEnd end : ends) {
            FaultMatrixReport report(std::string(area) + ", " + ReplyEndName(end));
            for (const ToolRow& row : rows) {
                if (row.outcome == Outcome::SameOutput && !IsLineCommand(row) && !*row.file) {
                    // What a healthy run prints, once per row: the cells compare with it.
                    const ProcessResult healthy = Run(row.command);
                    EXPECT_EQ(healthy.exitCode, 0) << healthy.err;
                    healthyOutput_ = healthy.out;
                } else {
                    healthyOutput_.clear(); // verify and line-verify: no difference to print
                }
                for (LineFault fault : AllLineFaults)
                    report.RunCell(row.operation, fault, [&] { return Cell(row, fault, end); });
                // A reply that repeats another number: where the struck request carries one.
                if (row.letters != "rh" && row.letters != "bp")
                    report.RunCell(row.operation, LineFault::OtherNumber,
                                   [&] { return Cell(row, LineFault::OtherNumber, end); });
                // One wrong reply is asked for once more; "send" shows whatever came.
                if (!row.printsAnyReply)
                    report.RunCell(row.operation, LineFault::WrongOnce, [&] { return Cell(row, LineFault::WrongOnce, end); });
            }
            report.Print(std::cout);
            EXPECT_TRUE(report.AllPassed()) << "a cell of the fault matrix failed (see the table above)";
        }
    }

    bool lineRows_ = false;
    std::string healthyOutput_;
    std::vector<int32_t> writtenParameters_;
    std::vector<int32_t> writtenSetpoints_;
};

// The 400 parameters take some 24 s at the shipped end of reply, so the transfers that carry them
// run at the fast end here; the shipped end meets the faults in the short rows below. The read
// timings are those of the read window: 1000 ms for the first reply byte.
TEST_F(CliFaultMatrix, ReadBackupAndVerifyUnderEveryLineFault)
{
    RunRows("kmt40-cli read, backup, verify",
            {{"read-params", {"read-params", "PATH"}, "unit.app", Outcome::ParameterFile, "rp", 120, "rp", 398, 1000ms},
             {"backup", {"backup", "PATH"}, "unit.bak", Outcome::BackupFile, "rp", 120, "rs", 46, 1000ms},
             {"verify", {"verify", "PATH"}, "unit.bak", Outcome::SameOutput, "rs", 10, "rs", 46, 1000ms}},
            {ReplyEnd::Fast});
}

// Writes wait 100 ms for the first reply byte, the computation 2000 ms; the timing columns strike
// the last two writes of write-params, and the computation of restore.
TEST_F(CliFaultMatrix, WriteAndRestoreUnderEveryLineFault)
{
    RunRows("kmt40-cli write, restore",
            {{"write-params", {"write-params", "PATH"}, "unit.app", Outcome::ControllerHolds, "wp", 40, "wp", 398, 100ms},
             {"restore", {"restore", "PATH"}, "unit.bak", Outcome::ControllerHolds, "wp", 40, "ws", 48, 2000ms},
             // Every value confirmed: the failure is the computation's, not the last value's.
             {"write-params, bp struck", {"write-params", "PATH"}, "unit.app", Outcome::ControllerHolds, "bp", 0, "wp", 400,
              2000ms, false, "computation"}},
            {ReplyEnd::Fast});
}

// The setpoints and the one-request commands at both settings. Identification waits 100 ms for
// its reply, a raw request 1500 ms; the timing columns slow what follows the select.
const std::vector<ToolRow> SetpointRows{
    {"read-setpoints", {"read-setpoints", "PATH"}, "unit.aps", Outcome::SetpointFile, "rs", 20, "rs", 46, 1000ms},
    {"write-setpoints", {"write-setpoints", "PATH"}, "unit.aps", Outcome::ControllerHolds, "ws", 20, "ws", 46, 100ms},
};
const std::vector<ToolRow> OneRequestRows{
    {"identify", {"identify"}, "", Outcome::SameOutput, "rh", 0, "sc", 1, 100ms},
    {"send", {"send", "rp", "12"}, "", Outcome::SameOutput, "rp", 0, "sc", 1, 1500ms, true},
    {"bp", {"bp"}, "", Outcome::SameOutput, "bp", 0, "sc", 1, 2000ms},
};

TEST_F(CliFaultMatrix, SetpointsAtTheShippedSettings)
{
    RunRows("kmt40-cli setpoints", SetpointRows, {ReplyEnd::Shipped});
}

TEST_F(CliFaultMatrix, OneRequestCommandsAtTheShippedSettings)
{
    RunRows("kmt40-cli identify, send, bp", OneRequestRows, {ReplyEnd::Shipped});
}

TEST_F(CliFaultMatrix, SetpointsAndOneRequestCommandsAtTheFastEnd)
{
    RunRows("kmt40-cli setpoints", SetpointRows, {ReplyEnd::Fast});
    RunRows("kmt40-cli identify, send, bp", OneRequestRows, {ReplyEnd::Fast});
}

// The line commands on two units; the faults strike the second unit's transfer.
TEST_F(CliFaultMatrix, LineCommandsUnderEveryLineFault)
{
    UseSimulator(UnitsNumbered(LineUnits));
    lineRows_ = true;
    RunRows("kmt40-cli line commands",
            {{"line-backup", {"line-backup", "PATH", "--units", "1,2"}, "line", Outcome::LineBackup, "rp", 120, "rs", 46, 1000ms},
             // The second unit's select struck: the faults before its identification.
             {"line-backup, select", {"line-backup", "PATH", "--units", "1,2"}, "line", Outcome::LineBackup, "sc", 0, "rs", 46, 1000ms},
             {"line-verify", {"line-verify", "PATH"}, "line", Outcome::SameOutput, "rs", 10, "rs", 46, 1000ms},
             {"line-restore", {"line-restore", "PATH"}, "line", Outcome::ControllerHolds, "wp", 40, "ws", 48, 2000ms}},
            {ReplyEnd::Fast});
}

} // namespace
} // namespace clitest
