// Every line fault struck in the middle of kmt40-cli's commands, the real executable against the
// simulator: the tool ends, prints one message line and exits 1 (the line commands: the struck
// unit fails), leaves the file or folder it was given or would replace as it was with nothing
// beside it, and runs through once the line is healthy again. (The tool's "controls" and "queue"
// are its process: it has ended, so the re-run is their check.) The search meets the faults on the
// second of two units: a fault of its probe or identification leaves that unit unlisted or its
// text empty, and only a lost line fails the command.
#include "CliFixture.h"
#include "support/LineFaultMatrix.h"
#include "support/ScriptedComPortRunner.h"

#include "params/core/BackupFile.h"
#include "params/core/ValueFiles.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <iostream>
#include <map>
#include <memory>
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
    SearchListing,   // the units listed as a healthy search lists them
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
    // Through the scripted RFC 2217 server in this mode, bridged to the simulator (null: the pty).
    const char* serverMode = nullptr;
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

// The search's struck unit: the second of two, so that the first is listed before the fault (unit
// 0 first: a probe that no unit takes would count as the struck unit's).
const std::vector<int> SearchUnits{0, 1};
constexpr int StruckSearchUnit = 1;

bool IsSearch(const ToolRow& row) { return row.outcome == Outcome::SearchListing; }

// The columns a row meets: every line fault, a reply that repeats another number where the
// struck request carries one, and one wrong reply. Behind a server a pulled line is a silent one: not a column there.
std::vector<LineFault> Columns(const ToolRow& row)
{
    std::vector<LineFault> columns;
    for (LineFault fault : AllLineFaults)
        if (!row.serverMode || fault != LineFault::Unplugged)
            columns.push_back(fault);
    if (row.letters != "rh" && row.letters != "bp")
        columns.push_back(LineFault::OtherNumber);
    // One wrong reply is asked for once more; not by "send", which shows whatever came, nor by the
    // search's probes, whose echo a local-echo adapter would double.
    if (!row.printsAnyReply && !(IsSearch(row) && row.letters == "sc"))
        columns.push_back(LineFault::WrongOnce);
    return columns;
}

// The CSV line of a unit in the search's output ("02,KM40 ...\n"); empty when it is not listed.
std::string ListedLine(const std::string& out, int unit)
{
    char start[8];
    std::snprintf(start, sizeof start, "%02d,", unit);
    const std::size_t at = out.rfind(std::string("\n") + start);
    if (at == std::string::npos)
        return {};
    return out.substr(at + 1, out.find('\n', at + 1) - at);
}

// One line and the tool that runs on it: a cell of the matrix. Several benches run side by side.
class ToolBench : public CliBench {
public:
    // The units a row's operation spans (one, or two for the line commands and the search), and
    // the server in between where the row has one.
    void LineFor(const ToolRow& row)
    {
        server_.reset();
        lineRows_ = IsLineCommand(row);
        if (lineRows_ || IsSearch(row))
            UseSimulator(UnitsNumbered(lineRows_ ? LineUnits : SearchUnits));
        struckUnit_ = lineRows_ ? StruckLineUnit : IsSearch(row) ? StruckSearchUnit : 0;
        if (row.serverMode) {
            server_ = std::make_unique<testsupport::ScriptedComPortRunner>(KMT40_SCRIPTED_SERVER_PATH, row.serverMode,
                                                                           sim().devicePath());
            EXPECT_FALSE(server_->Url().empty()) << "the scripted server did not start";
        }
    }

    // Runs the tool on the row's line: the pty, or the server bridged to it.
    ProcessResult RunOnLine(const std::vector<std::string>& args) const
    {
        if (!server_)
            return Run(args);
        std::vector<std::string> all = LineArgs();
        all[1] = server_->Url();
        all.insert(all.end(), args.begin(), args.end());
        return RunBare(all);
    }

    // What a healthy run prints, for the rows that compare output with it. The search's listing is
    // known beforehand: on a loaded machine a reference run might miss a reply itself.
    void NoteHealthyOutput(const ToolRow& row)
    {
        healthyOutput_.clear(); // verify and line-verify: no difference to print
        if (IsSearch(row)) {
            healthyOutput_ = "unit,identification,baud,parity,stopbits\n";
            for (int unit : SearchUnits) {
                char line[96];
                std::snprintf(line, sizeof line, "%02d,KM40 V2.31   SW 2.31 2021-03-15   SN 0047%02d,38400,Even,1\n", unit, unit);
                healthyOutput_ += line;
            }
        } else if (row.outcome == Outcome::SameOutput && !IsLineCommand(row) && !*row.file) {
            const ProcessResult healthy = RunOnLine(row.command);
            EXPECT_EQ(healthy.exitCode, 0) << healthy.err;
            healthyOutput_ = healthy.out;
        }
    }

    std::vector<int> Units() const { return lineRows_ ? LineUnits : std::vector<int>{0}; }
    int StruckUnit() const { return struckUnit_; }

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
        case Outcome::SearchListing:
            if (r.out != healthyOutput_) {
                const std::size_t shown = IsSearch(row) ? std::string::npos : 60;
                problems.push_back("output '" + r.out.substr(0, shown) + "', healthy '" + healthyOutput_.substr(0, shown) + "'");
            }
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

    // A probe's or an identification's fault is no failure of the search: the first unit listed as
    // in a healthy run, the struck one unlisted (its probe) or listed with its struck texts empty.
    void CheckSearchAfterFault(const ToolRow& row, LineFault fault, const ProcessResult& r, Problems& problems)
    {
        const std::string first = ListedLine(r.out, SearchUnits[0]);
        const std::string struck = ListedLine(r.out, StruckSearchUnit);
        if (fault == LineFault::Unplugged) {
            if (r.exitCode != 1 || MessageLines(r.err) != 1)
                problems.push_back("exit " + std::to_string(r.exitCode) + " (signal " + std::to_string(r.signal) + ") with " +
                                   std::to_string(MessageLines(r.err)) + " messages for the lost line: " + r.err);
            if (first != ListedLine(healthyOutput_, SearchUnits[0]) || !struck.empty())
                problems.push_back("listed before the lost line: '" + r.out + "'");
            return;
        }
        if (r.exitCode != 0 || MessageLines(r.err) != 0)
            problems.push_back("exit " + std::to_string(r.exitCode) + ": " + Message(r));
        if (first.empty() || first != ListedLine(healthyOutput_, SearchUnits[0]))
            problems.push_back("the first unit listed as '" + first + "'");
        if (row.letters == "sc") {
            if (!struck.empty())
                problems.push_back("the struck unit listed on its struck probe: '" + struck + "'");
            return;
        }
        // The type answered (the unit was found), the struck identification not shown as it came.
        const std::string healthy = ListedLine(healthyOutput_, StruckSearchUnit);
        const bool printable = std::all_of(struck.begin(), struck.end(), [](char c) {
            return c == '\n' || std::isprint(static_cast<unsigned char>(c));
        });
        if (struck.size() < 10 || struck.compare(0, 10, healthy, 0, 10) != 0 || struck == healthy || !printable)
            problems.push_back("the struck unit listed as '" + struck + "', healthy '" + healthy + "'");
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
            return RunOnLine(args);
        };
        const auto before = Snapshot(dir);
        const bool timing = fault == LineFault::JustInside || fault == LineFault::JustOutside;
        ToolLine lineToHeal{sim()};
        LineFaultInjector inject(sim());
        // The search's timing columns slow the struck unit's request alone, not the first unit's.
        inject.SlowOnlyArmedLetters(IsSearch(row));
        inject.Arm(fault, StruckUnit(), row.timeout, timing ? row.timingLetters : row.letters,
                   timing ? row.timingSkip : row.skip);
        const ProcessResult first = run();
        if (!inject.Struck())
            problems.push_back("the fault never struck (" + Message(first) + ")");
        const bool replyShown = row.printsAnyReply && (fault == LineFault::WrongEcho || fault == LineFault::Refused ||
                                                       fault == LineFault::Garbage || fault == LineFault::OtherNumber);
        if (IsSearch(row) && LineFaultFails(fault)) {
            CheckSearchAfterFault(row, fault, first, problems);
            if (fault == LineFault::JustOutside)
                std::this_thread::sleep_for(TimeOutMargin(row.timeout));
            if (!inject.Heal(lineToHeal))
                problems.push_back("line could not be plugged in again");
            CheckCompleted(row, run(), path, problems);
        } else if (replyShown) {
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

private:

    bool lineRows_ = false;
    int struckUnit_ = 0;
    std::unique_ptr<testsupport::ScriptedComPortRunner> server_;
    std::string healthyOutput_;
    std::vector<int32_t> writtenParameters_;
    std::vector<int32_t> writtenSetpoints_;
};

class CliFaultMatrix : public ::testing::Test {
protected:
    // The rows one cell after the other on one line.
    void RunRows(const char* area, const std::vector<ToolRow>& rows, std::initializer_list<ReplyEnd> ends)
    {
        for (ReplyEnd end : ends) {
            FaultMatrixReport report(std::string(area) + ", " + ReplyEndName(end));
            for (const ToolRow& row : rows) {
                bench_.LineFor(row);
                bench_.NoteHealthyOutput(row); // once per row: the cells compare with it
                for (LineFault fault : Columns(row))
                    report.RunCell(row.operation, fault, [&] { return bench_.Cell(row, fault, end); });
            }
            report.Print(std::cout);
            EXPECT_TRUE(report.AllPassed()) << "a cell of the fault matrix failed (see the table above)";
        }
    }

    // Every cell of the rows at once, each on a line and a tool of its own: the rows take as long
    // as their longest cell (the transfers at the shipped end of reply wait mostly for silence).
    // atOnce: at most so many cells at a time (0: all); rows with 100 ms time-outs on every unit's
    // requests would otherwise load the machine beyond them.
    void RunRowsSideBySide(const char* area, const std::vector<ToolRow>& rows, ReplyEnd end, std::size_t atOnce = 0)
    {
        FaultMatrixReport report(std::string(area) + ", " + ReplyEndName(end) + ", cells side by side");
        std::vector<std::pair<std::string, LineFault>> cells;
        std::vector<const ToolRow*> cellRows;
        for (const ToolRow& row : rows)
            for (LineFault fault : Columns(row)) {
                cells.emplace_back(row.operation, fault);
                cellRows.push_back(&row);
            }
        std::vector<std::unique_ptr<ToolBench>> benches;
        for (const ToolRow* row : cellRows) {
            benches.push_back(std::make_unique<ToolBench>());
            benches.back()->LineFor(*row);
        }
        std::vector<bool> noted(cells.size(), false);
        report.RunCellsSideBySide(cells, [&](std::size_t i) {
            if (!noted[i])
                benches[i]->NoteHealthyOutput(*cellRows[i]);
            noted[i] = true;
            return benches[i]->Cell(*cellRows[i], cells[i].second, end);
        }, atOnce);
        report.Print(std::cout);
        EXPECT_TRUE(report.AllPassed()) << "a cell of the fault matrix failed (see the table above)";
    }

    ToolBench bench_;
};

// The read timings are those of the read window: 1000 ms for the first reply byte.
const std::vector<ToolRow> ReadRows{
    {"read-params", {"read-params", "PATH"}, "unit.app", Outcome::ParameterFile, "rp", 120, "rp", 398, 1000ms},
    {"backup", {"backup", "PATH"}, "unit.bak", Outcome::BackupFile, "rp", 120, "rs", 46, 1000ms},
    {"verify", {"verify", "PATH"}, "unit.bak", Outcome::SameOutput, "rs", 10, "rs", 46, 1000ms},
};
// Writes wait 100 ms for the first reply byte, the computation 2000 ms; the timing columns strike
// the last two writes of write-params, and the computation of restore.
const std::vector<ToolRow> WriteRows{
    {"write-params", {"write-params", "PATH"}, "unit.app", Outcome::ControllerHolds, "wp", 40, "wp", 398, 100ms},
    {"restore", {"restore", "PATH"}, "unit.bak", Outcome::ControllerHolds, "wp", 40, "ws", 48, 2000ms},
    // Every value confirmed: the failure is the computation's, not the last value's.
    {"write-params, bp struck", {"write-params", "PATH"}, "unit.app", Outcome::ControllerHolds, "bp", 0, "wp", 400, 2000ms,
     false, nullptr, "computation"},
};

// The 448 values at the shipped end of reply take some 24 s a run, so the cells run side by side;
// but not all thirty at once: beside the rest of the run (and several times slower under the
// sanitizers) so many tools and simulators held back the replies beyond the writes' 100 ms.
constexpr std::size_t ShippedReadsAtOnce = 12;
constexpr std::size_t ShippedWritesAtOnce = 10;

TEST_F(CliFaultMatrix, ReadBackupAndVerifyAtTheShippedSettings)
{
    RunRowsSideBySide("kmt40-cli read, backup, verify", ReadRows, ReplyEnd::Shipped, ShippedReadsAtOnce);
}

TEST_F(CliFaultMatrix, WriteAndRestoreAtTheShippedSettings)
{
    RunRowsSideBySide("kmt40-cli write, restore", WriteRows, ReplyEnd::Shipped, ShippedWritesAtOnce);
}

TEST_F(CliFaultMatrix, ReadBackupAndVerifyAtTheFastEnd)
{
    RunRows("kmt40-cli read, backup, verify", ReadRows, {ReplyEnd::Fast});
}

TEST_F(CliFaultMatrix, WriteAndRestoreAtTheFastEnd)
{
    RunRows("kmt40-cli write, restore", WriteRows, {ReplyEnd::Fast});
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

// The search over unit numbers 0..2 with units 0 and 1 on the line (the probes wait the search's
// own 100 ms): the faults strike the second unit's select probe, or its version request ("rh")
// after its type ("rt") was answered. The timing columns slow every reply from the strike on.
const std::vector<ToolRow> SearchRows{
    {"search: select probe", {"search", "--from", "38400", "--last-unit", "2"}, "", Outcome::SearchListing, "sc", 0, "sc", 0,
     100ms},
    {"search: identification", {"search", "--from", "38400", "--last-unit", "2"}, "", Outcome::SearchListing, "rh", 0, "rh",
     0, 100ms},
};

TEST_F(CliFaultMatrix, SearchUnderEveryLineFault)
{
    for (ReplyEnd end : BothReplyEnds)
        RunRowsSideBySide("kmt40-cli search", SearchRows, end, 2);
}

// One transfer through a network line: the scripted RFC 2217 server bridged to the simulator, the
// faults struck behind it. In the second row the server reports a framing error for the last
// setpoint's reply 10 ms after it passed it on, in every run: the value is asked for again before
// the command counts as done, and the file holds the controller's values all the same.
const std::vector<ToolRow> NetworkRows{
    {"read-setpoints through RFC 2217", {"read-setpoints", "PATH"}, "unit.aps", Outcome::SetpointFile, "rs", 20, "rs", 46,
     1000ms, false, "well-behaved"},
    {"read-setpoints through RFC 2217, late line report", {"read-setpoints", "PATH"}, "unit.aps", Outcome::SetpointFile, "rs",
     20, "rs", 46, 1000ms, false, "late-line-state-last-setpoint"},
};

TEST_F(CliFaultMatrix, ANetworkLineUnderEveryLineFault)
{
    for (ReplyEnd end : BothReplyEnds)
        RunRowsSideBySide("kmt40-cli through a network line", NetworkRows, end);
}

// The line commands on two units; the faults strike the second unit's transfer.
TEST_F(CliFaultMatrix, LineCommandsUnderEveryLineFault)
{
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
