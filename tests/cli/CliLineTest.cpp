// The line commands through the real kmt40-cli against four simulated units of different serial
// numbers on one line: line-backup's files are the single backups byte for byte and its manifest
// holds their digests; line-verify finds the one setpoint changed; line-restore sends what four single
// restores send, refuses a unit whose serial changed unless --replace says so; and the faults: a
// unit silent mid-read, a line unplugged, Ctrl-C, a damaged manifest and a changed backup file.
#include "CliFixture.h"
#include "support/FolderNames.h"

#include "app/core/CsvText.h"
#include "app/core/TextFileIO.h"
#include "params/core/LineFolderLock.h"
#include "params/core/LineManifest.h"
#include "params/core/Sha256.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <cstring>
#include <set>
#include <tuple>
#include <future>
#include <map>
#include <thread>

namespace clitest {
namespace {

const std::vector<int> LineUnits{1, 4, 7, 12};

km4x::SimulatorOptions FourUnits()
{
    return UnitsNumbered(LineUnits);
}

std::string BackupName(int Unit)
{
    char name[32];
    std::snprintf(name, sizeof name, "%02d-SN_0047%02d.bak", Unit, Unit);
    return name;
}

// sha256sum's digest of a file: a second opinion on the manifest's.
std::string Sha256Sum(const fs::path& File)
{
    std::string command = "sha256sum '" + File.string() + "'";
    FILE* pipe = popen(command.c_str(), "r");
    char digest[65] = {};
    if (!pipe || std::fread(digest, 1, 64, pipe) != 64)
        ADD_FAILURE() << "sha256sum failed on " << File;
    if (pipe)
        pclose(pipe);
    return digest;
}

// The requests from the one that selects Unit up to the next "sc".
std::vector<std::string> RequestsOf(const std::vector<std::string>& Log, int Unit)
{
    const std::string select = "sc " + std::to_string(Unit);
    std::vector<std::string> slice;
    bool in = false;
    for (const std::string& request : Log) {
        if (request.rfind("sc ", 0) == 0)
            in = request == select;
        if (in)
            slice.push_back(request);
    }
    return slice;
}

std::vector<std::string> Without(std::vector<std::string> Requests, const std::vector<std::string>& Dropped)
{
    std::erase_if(Requests, [&](const std::string& r) { return std::find(Dropped.begin(), Dropped.end(), r) != Dropped.end(); });
    return Requests;
}

std::vector<TLineRow> Manifest(const fs::path& Dir)
{
    const TManifestResult parsed = ParseLineManifest(ReadWholeFile(Dir / "line.csv"));
    EXPECT_TRUE(parsed.Ok()) << parsed.Error;
    return parsed.Rows;
}

class CliLineTest : public CliTest {
protected:
    CliLineTest()
    {
        UseSimulator(FourUnits());
        // Every unit holds values of its own.
        for (int unit : LineUnits) {
            sim().setParameter(unit, 30, 100 + unit);
            sim().setSetpoint(unit, 3, -1000 * unit);
        }
    }
    ProcessResult RunFast(std::vector<std::string> args, const std::function<void(pid_t)>& OnStarted = {})
    {
        std::vector<std::string> all = LineArgs();
        all.push_back("--fast");
        all.insert(all.end(), args.begin(), args.end());
        return program_.Run(all, std::chrono::seconds(180), OnStarted);
    }
    std::string Dir(const std::string& Name) const { return FilePath(Name); }
};

TEST_F(CliLineTest, BacksUpVerifiesAndRestoresTheWholeLine)
{
    std::map<int, std::vector<std::string>> singleBackup;
    for (int unit : LineUnits) {
        sim().clearLog();
        const ProcessResult r = RunFast({"--unit", std::to_string(unit), "backup", FilePath("single" + std::to_string(unit) + ".bak")});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        singleBackup[unit] = Requests();
    }

    sim().clearLog();
    const ProcessResult backup = RunFast({"line-backup", Dir("line")});
    ASSERT_EQ(backup.exitCode, 0) << backup.err;
    const std::vector<std::string> log = Requests();
    // Units 0..31 are asked first, then each unit found is identified and read as backup reads it.
    EXPECT_EQ(std::vector<std::string>(log.begin(), log.begin() + 32), Numbered("sc", 0, 31));
    const std::vector<TLineRow> rows = Manifest(Dir("line"));
    ASSERT_EQ(rows.size(), LineUnits.size());
    for (std::size_t i = 0; i < LineUnits.size(); ++i) {
        const int unit = LineUnits[i];
        const fs::path file = fs::path(Dir("line")) / BackupName(unit);
        EXPECT_EQ(ReadWholeFile(file), ReadWholeFile(FilePath("single" + std::to_string(unit) + ".bak"))) << unit;
        std::vector<std::string> expected = singleBackup[unit];
        expected.insert(expected.begin() + 1, {"rt", "rh", "rx"});
        EXPECT_EQ(RequestsOf(std::vector<std::string>(log.begin() + 32, log.end()), unit), expected) << unit;
        const TLineRow& row = rows[i];
        EXPECT_EQ(row.Unit, unit);
        EXPECT_EQ(row.Status, "ok");
        EXPECT_EQ(row.Type, "KM40 V2.31");
        EXPECT_EQ(row.Serial, "SN 0047" + BackupName(unit).substr(0, 2));
        EXPECT_EQ(row.File, BackupName(unit));
        EXPECT_EQ(row.Bytes, 16020u);
        EXPECT_EQ(row.Sha256, Sha256Sum(file));
        EXPECT_EQ(row.Line ? UnitLineText(*row.Line) : "", "38400,E,8,1");
    }
    for (const std::string& name : FolderNames(Dir("line")))
        EXPECT_EQ(name.find(".tmp"), std::string::npos) << name; // no temporary left behind
    EXPECT_NE(backup.err.find("Unit 4 of 4 (unit 12, backing up): 448/448"), std::string::npos) << backup.err;
    EXPECT_NE(backup.err.find("unit 07: ok (07-SN_004707.bak)"), std::string::npos) << backup.err;

    const ProcessResult same = RunFast({"line-verify", Dir("line")});
    EXPECT_EQ(same.exitCode, 0) << same.err;
    EXPECT_EQ(same.out, "");
    EXPECT_NE(same.err.find("unit 12: matches"), std::string::npos) << same.err;

    // One setpoint of one unit changes: only that unit and setpoint are named.
    sim().setSetpoint(7, 3, 4242);
    const ProcessResult changed = RunFast({"line-verify", Dir("line")});
    EXPECT_EQ(changed.exitCode, 1) << changed.err;
    EXPECT_EQ(changed.out.rfind("unit 07: S003\t", 0), 0u) << changed.out;
    EXPECT_EQ(std::count(changed.out.begin(), changed.out.end(), '\n'), 1) << changed.out;
    EXPECT_NE(changed.err.find("unit 07: 1 difference"), std::string::npos) << changed.err;
    EXPECT_NE(changed.err.find("unit 04: matches"), std::string::npos) << changed.err;
    // The same answer as a document: only unit 07 differs, in setpoint 3 alone.
    const ProcessResult document = RunFast({"line-verify", Dir("line"), "--json"});
    EXPECT_EQ(document.exitCode, 1) << document.err;
    const nlohmann::json verdict = nlohmann::json::parse(document.out);
    EXPECT_FALSE(verdict["equal"].get<bool>());
    ASSERT_EQ(verdict["units"].size(), LineUnits.size());
    for (const nlohmann::json& unit : verdict["units"]) {
        const bool changedUnit = unit["unit"] == 7;
        EXPECT_EQ(unit["equal"].get<bool>(), !changedUnit) << unit.dump();
        EXPECT_EQ(unit["status"], "compared");
        EXPECT_TRUE(unit["identity_differences"].empty());
        ASSERT_EQ(unit["differences"].size(), changedUnit ? 1u : 0u) << unit.dump();
        if (changedUnit) {
            EXPECT_EQ(unit["differences"][0]["item"], "S003");
        }
    }

    // The restore sends each unit what a single restore of its file sends, after its identification.
    sim().clearLog();
    const ProcessResult single = RunFast({"--unit", "7", "restore", (fs::path(Dir("line")) / BackupName(7)).string()});
    ASSERT_EQ(single.exitCode, 0) << single.err;
    const std::vector<std::string> singleRestore = Requests();
    sim().setSetpoint(7, 3, 4242);
    sim().clearLog();
    const ProcessResult restore = RunFast({"line-restore", Dir("line")});
    ASSERT_EQ(restore.exitCode, 0) << restore.err;
    const std::vector<std::string> restoreLog = Requests();
    std::size_t writes = 0;
    for (int unit : LineUnits) {
        const std::vector<std::string> requests = RequestsOf(restoreLog, unit);
        std::vector<std::string> expected = singleRestore;
        for (std::string& request : expected)
            if (request == "sc 7" || request == "wp 0 7")
                request = request.substr(0, request.size() - 1) + std::to_string(unit); // each unit its own number
            else if (request.rfind("wp 30 ", 0) == 0 || request.rfind("ws 3 ", 0) == 0)
                request = request[1] == 'p' ? "wp 30 " + std::to_string(100 + unit) : "ws 3 " + std::to_string(-1000 * unit);
        EXPECT_EQ(Without(requests, {"rt", "rh", "rx"}), expected) << unit;
        EXPECT_EQ(std::vector<std::string>(requests.begin() + 1, requests.begin() + 4), (std::vector<std::string>{"rt", "rh", "rx"}));
        writes += requests.size();
    }
    EXPECT_EQ(writes, restoreLog.size());
    EXPECT_EQ(sim().setpoint(7, 3), -7000);

    // Unit 4 is replaced by another controller: refused by name, the others restored.
    sim().setSerialText(4, "SN 009999");
    sim().clearLog();
    const ProcessResult refused = RunFast({"line-restore", Dir("line")});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find("unit 04: refused: serial \"SN 009999\" is not \"SN 004704\""), std::string::npos) << refused.err;
    EXPECT_NE(refused.err.find("--replace 4"), std::string::npos) << refused.err;
    EXPECT_EQ(RequestsOf(Requests(), 4), (std::vector<std::string>{"sc 4", "rt", "rh", "rx"}));
    EXPECT_EQ(RequestsOf(Requests(), 12).back(), "bp");

    sim().setParameter(4, 30, 0);
    sim().clearLog();
    const ProcessResult replaced = RunFast({"line-restore", Dir("line"), "--units", "4", "--replace", "4"});
    EXPECT_EQ(replaced.exitCode, 0) << replaced.err;
    EXPECT_EQ(Requests().front(), "sc 4");
    EXPECT_EQ(Requests().back(), "bp");
    EXPECT_EQ(sim().parameter(4, 30), 104);
}

TEST_F(CliLineTest, AUnitSilentMidReadLeavesNoFileAndTheOthersAreSaved)
{
    km4x::Simulator& s = sim();
    s.setRequestObserver([&s](const km4x::RequestRecord& record) {
        if (record.unit == 7 && record.text == "rp 100")
            s.setFault(7, km4x::Fault::Silent, true);
    });
    const ProcessResult r = RunFast({"line-backup", Dir("line"), "--units", "1,4-7,12"});
    s.setRequestObserver(nullptr);

    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(Message(r).find("3 units were not saved"), std::string::npos) << r.err;
    const std::vector<TLineRow> rows = Manifest(Dir("line"));
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_EQ(rows[4].Unit, 7);
    EXPECT_EQ(rows[4].Status, "time-out at P101");
    EXPECT_EQ(rows[4].File, "");
    EXPECT_EQ(rows[4].Serial, "SN 004707");
    // Units 5 and 6 are not on the line.
    EXPECT_EQ(rows[2].Status, "no reply");
    EXPECT_EQ(rows[3].Status, "no reply");
    for (const std::size_t saved : {0u, 1u, 5u})
        EXPECT_EQ(rows[saved].Status, "ok");
    std::vector<std::string> files;
    for (const auto& entry : fs::directory_iterator(Dir("line")))
        files.push_back(entry.path().filename().string());
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (std::vector<std::string>{BackupName(1), BackupName(4), BackupName(12), "line.csv"}));
    EXPECT_EQ(RequestsOf(Requests(), 5), std::vector<std::string>{"sc 5"});

    // Verify and restore leave out the unit without a file, say so and end with 1.
    s.clearFaults();
    const ProcessResult verify = RunFast({"line-verify", Dir("line")});
    EXPECT_EQ(verify.exitCode, 1);
    EXPECT_NE(verify.err.find("unit 07: skipped"), std::string::npos) << verify.err;
    EXPECT_NE(verify.err.find("unit 12: matches"), std::string::npos) << verify.err;
}

TEST_F(CliLineTest, ARefusedSerialIsEmptyButACutOneFailsTheUnit)
{
    // Older firmware refuses "rx" ("er 1"): saved without a serial. A serial reply cut short is
    // no refusal: saved as empty, it would excuse the serial check of a later restore.
    sim().setFault(4, km4x::Fault::Refuse, true, "rx");
    sim().setFault(7, km4x::Fault::CutEnd, true, "rx");
    const ProcessResult r = RunFast({"line-backup", Dir("line"), "--units", "4,7"});

    EXPECT_EQ(r.exitCode, 1) << r.err;
    const std::vector<TLineRow> rows = Manifest(Dir("line"));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].Status, "ok");
    EXPECT_EQ(rows[0].Serial, "");
    EXPECT_EQ(rows[0].File, "04-noserial.bak");
    EXPECT_EQ(rows[1].Status, "wrong reply to rx: \"rx SN 004707\\r\"");
    EXPECT_EQ(rows[1].File, "");
    EXPECT_FALSE(fs::exists(fs::path(Dir("line")) / "07-noserial.bak"));
}

TEST_F(CliLineTest, AnUnpluggedLineOrCtrlCEndsWithAManifestOfWhatWasSaved)
{
    // The line goes away in the middle of unit 4's read.
    auto unplug = std::async(std::launch::async, [this] {
        if (sim().waitForRequests(4 + 448 + 4 + 200, std::chrono::seconds(120)))
            sim().closeLine();
    });
    const ProcessResult lost = RunFast({"line-backup", Dir("lost"), "--units", "1,4,7,12"});
    unplug.get();
    EXPECT_EQ(lost.exitCode, 1);
    EXPECT_NE(Message(lost).find("the line was lost"), std::string::npos) << lost.err;
    std::vector<TLineRow> rows = Manifest(Dir("lost"));
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].Status, "ok");
    EXPECT_EQ(rows[1].Status.rfind("line lost at ", 0), 0u) << rows[1].Status;
    EXPECT_EQ(rows[2].Status, "line lost");
    EXPECT_EQ(rows[3].Status, "line lost");
    EXPECT_TRUE(fs::exists(fs::path(Dir("lost")) / BackupName(1)));
    EXPECT_FALSE(fs::exists(fs::path(Dir("lost")) / BackupName(4)));

    // Ctrl-C during unit 7: units 1 and 4 stay, the manifest says so.
    ASSERT_TRUE(sim().reopenLine());
    sim().clearLog();
    const ProcessResult stopped = RunFast({"line-backup", Dir("stopped"), "--units", "1,4,7,12"}, [this](pid_t pid) {
        if (sim().waitForRequests(2 * (4 + 448) + 4 + 100, std::chrono::seconds(120)))
            kill(pid, SIGINT);
    });
    EXPECT_EQ(stopped.exitCode, 1);
    EXPECT_NE(Message(stopped).find("interrupted"), std::string::npos) << stopped.err;
    rows = Manifest(Dir("stopped"));
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].Status, "ok");
    EXPECT_EQ(rows[1].Status, "ok");
    EXPECT_EQ(rows[2].Status.rfind("interrupted at P", 0), 0u) << rows[2].Status;
    EXPECT_EQ(rows[3].Status, "not started (cancelled)");
    EXPECT_TRUE(fs::exists(fs::path(Dir("stopped")) / BackupName(4)));
    EXPECT_FALSE(fs::exists(fs::path(Dir("stopped")) / BackupName(7)));
}

TEST_F(CliLineTest, UnitsFoundAtTheirOwnSettingsAreVerifiedAtThem)
{
    km4x::SimulatorOptions options = FourUnits();
    options.units.resize(2);
    options.units[1].line.baud = 19200; // unit 4
    UseSimulator(options);

    const ProcessResult backup = RunFast({"line-backup", Dir("mixed"), "--search", "--last-unit", "4"});
    ASSERT_EQ(backup.exitCode, 0) << backup.err;
    const std::vector<TLineRow> rows = Manifest(Dir("mixed"));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(UnitLineText(*rows[0].Line), "38400,E,8,1");
    EXPECT_EQ(UnitLineText(*rows[1].Line), "19200,E,8,1");

    sim().clearLog();
    const ProcessResult verify = RunFast({"line-verify", Dir("mixed")});
    EXPECT_EQ(verify.exitCode, 0) << verify.err;
    const std::vector<km4x::RequestRecord> log = sim().requestLog();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back().text, "rs 48");
    EXPECT_EQ(log.back().line.baud, 19200);
}

TEST_F(CliLineTest, AnEditedManifestOrChangedBackupIsRefusedBeforeAnythingIsSent)
{
    const ProcessResult backup = RunFast({"line-backup", Dir("line"), "--units", "1,4"});
    ASSERT_EQ(backup.exitCode, 0) << backup.err;
    const fs::path manifest = fs::path(Dir("line")) / "line.csv";
    const std::string original = ReadWholeFile(manifest);

    struct Case {
        const char* what;
        std::string manifest;
        const char* expected;
    };
    std::string serialEdited = original;
    serialEdited.replace(serialEdited.find("SN 004704"), 9, "SN 004799");
    std::string unitEdited = original;
    unitEdited.replace(unitEdited.find("\n04,"), 4, "\n09,");
    const std::vector<Case> cases{
        {"serial edited", serialEdited, "line.csv line 3 (unit 04) was edited or damaged"},
        {"unit edited", unitEdited, "line.csv line 3 (unit 09) was edited or damaged"},
        {"cut short", original.substr(0, original.size() - 30), "its closing line's check does not match"},
        {"no header", original.substr(original.find('\n') + 1), "line.csv line 1: not the header"},
    };
    sim().clearLog();
    for (const Case& c : cases) {
        WriteWholeFile(manifest, c.manifest);
        for (const char* command : {"line-verify", "line-restore"}) {
            const ProcessResult r = RunFast({command, Dir("line")});
            EXPECT_EQ(r.exitCode, 1) << c.what;
            EXPECT_NE(Message(r).find(c.expected), std::string::npos) << c.what << "\n" << r.err;
        }
    }
    WriteWholeFile(manifest, original);
    const fs::path file = fs::path(Dir("line")) / BackupName(4);
    std::string bytes = ReadWholeFile(file);
    bytes[8 + 4 * 30] ^= 1; // parameter 30
    WriteWholeFile(file, bytes);
    const ProcessResult changed = RunFast({"line-restore", Dir("line")});
    EXPECT_EQ(changed.exitCode, 1);
    EXPECT_NE(Message(changed).find(BackupName(4) + " (line.csv line 3, unit 04): its SHA-256 differs"), std::string::npos)
        << changed.err;
    EXPECT_EQ(sim().requestCount(), 0u);

    // Usage: exit 2, nothing sent.
    for (const std::vector<std::string>& wrong : std::vector<std::vector<std::string>>{
             {"line-backup"}, {"line-backup", Dir("line"), "--units", "3-1"}, {"line-backup", Dir("x"), "--units", "32"},
             {"line-verify", Dir("line"), "--units", "1"}, {"line-backup", Dir("x"), "--replace", "1"},
             {"line-restore", Dir("line"), "--search"}, {"line-backup", Dir("x"), "--units", "1", "--search"}}) {
        const ProcessResult r = Run(wrong);
        EXPECT_EQ(r.exitCode, 2) << wrong[0] << " " << r.err;
    }
    const ProcessResult help = RunBare({"--help"});
    for (const char* word : {"line-backup DIR", "line-verify DIR", "line-restore DIR", "--units LIST", "--search",
                             "--replace LIST", "line.csv"})
        EXPECT_NE(help.out.find(word), std::string::npos) << word;
    EXPECT_EQ(sim().requestCount(), 0u);
}

// The units a request log shows written into ("wp", "ws" or "bp" after their "sc").
std::set<int> WrittenUnits(const std::vector<km4x::RequestRecord>& Log)
{
    std::set<int> units;
    for (const km4x::RequestRecord& r : Log)
        if (r.text.rfind("wp ", 0) == 0 || r.text.rfind("ws ", 0) == 0 || r.text == "bp")
            units.insert(r.unit);
    return units;
}

std::vector<std::string> FilesIn(const fs::path& Dir)
{
    std::vector<std::string> files;
    for (const auto& entry : fs::directory_iterator(Dir))
        files.push_back(entry.path().filename().string());
    std::sort(files.begin(), files.end());
    return files;
}

std::string WithoutLine(const std::string& Text, const std::string& Start)
{
    const std::size_t at = Text.find("\n" + Start);
    return at == std::string::npos ? Text : Text.substr(0, at + 1) + Text.substr(Text.find('\n', at + 1) + 1);
}

TEST_F(CliLineTest, ASecondBackupIntoTheSameFolderKeepsTheFirstWhole)
{
    const fs::path dir = Dir("line");
    ASSERT_EQ(RunFast({"line-backup", dir.string(), "--units", "1,4,7"}).exitCode, 0);
    const std::string firstManifest = ReadWholeFile(dir / "line.csv");
    const std::string firstFile = ReadWholeFile(dir / BackupName(4));

    // The line unplugged (every unit silent): the good backup goes to a dated sub-folder, whole.
    sim().setFault(km4x::Simulator::AllUnits, km4x::Fault::Silent, true);
    const ProcessResult silent = RunFast({"line-backup", dir.string(), "--units", "1,4,7"});
    EXPECT_EQ(silent.exitCode, 1);
    std::vector<fs::path> earlier;
    for (const auto& entry : fs::directory_iterator(dir))
        if (entry.is_directory())
            earlier.push_back(entry.path());
    ASSERT_EQ(earlier.size(), 1u);
    EXPECT_EQ(earlier[0].filename().string().rfind("earlier-", 0), 0u);
    EXPECT_NE(silent.err.find("held a line backup: it is kept in " + earlier[0].string()), std::string::npos) << silent.err;
    EXPECT_EQ(ReadWholeFile(earlier[0] / "line.csv"), firstManifest);
    EXPECT_EQ(ReadWholeFile(earlier[0] / BackupName(4)), firstFile);
    EXPECT_EQ(FilesIn(dir), (std::vector<std::string>{earlier[0].filename().string(), "line.csv"}));
    sim().clearFaults();
    EXPECT_EQ(RunFast({"line-verify", earlier[0].string()}).exitCode, 0);
    // Restoring the folder as it now is writes nothing, counts every unit as not written and points
    // to the good backup.
    sim().clearLog();
    const ProcessResult nothing = RunFast({"line-restore", dir.string()});
    EXPECT_EQ(nothing.exitCode, 1);
    EXPECT_EQ(sim().requestCount(), 0u);
    EXPECT_NE(nothing.err.find("is kept in " + earlier[0].string() + "\n"), std::string::npos) << nothing.err;
    EXPECT_NE(Message(nothing).find("0 units written in part or not computed, 3 units not written"), std::string::npos)
        << nothing.err;

    // One unit fails the next run: every .bak beside a manifest is listed in it.
    sim().setFault(4, km4x::Fault::Silent, true);
    EXPECT_EQ(RunFast({"line-backup", dir.string(), "--units", "1,4,7"}).exitCode, 1);
    sim().clearFaults();
    for (const auto& entry : fs::recursive_directory_iterator(dir))
        if (entry.path().extension() == ".bak") {
            const std::vector<TLineRow> rows = Manifest(entry.path().parent_path());
            EXPECT_TRUE(std::any_of(rows.begin(), rows.end(), [&](const TLineRow& r) {
                return r.Saved() && r.File == entry.path().filename().string();
            })) << entry.path();
        }

    // Killed while it reads its first unit: the backup before it stays whole in its sub-folder.
    const std::string before = ReadWholeFile(dir / "line.csv");
    const ProcessResult killed = RunFast({"line-backup", dir.string(), "--units", "1,4,7"}, [this](pid_t pid) {
        if (sim().waitForRequests(sim().requestCount() + 100, std::chrono::seconds(60)))
            kill(pid, SIGKILL);
    });
    EXPECT_EQ(killed.exitCode, -1);
    std::size_t kept = 0;
    for (const auto& entry : fs::directory_iterator(dir))
        if (entry.is_directory() && ReadWholeFile(entry.path() / "line.csv") == before)
            ++kept;
    EXPECT_EQ(kept, 1u);

    // While another run (on another port) writes into the folder, a run is refused before anything
    // is sent or moved; the killed run's hold went with it.
    const TLineFolderLock other(dir.string());
    ASSERT_TRUE(other.Held()) << other.Error();
    const std::vector<std::string> filesBefore = FilesIn(dir);
    sim().clearLog();
    const ProcessResult second = RunFast({"line-backup", dir.string(), "--units", "1"});
    EXPECT_EQ(second.exitCode, 1);
    EXPECT_NE(second.err.find("another line backup is writing into this folder"), std::string::npos) << second.err;
    EXPECT_EQ(sim().requestCount(), 0u);
    EXPECT_EQ(FilesIn(dir), filesBefore);
}

TEST_F(CliLineTest, AManifestThatLostARowOrLeftAFileOutIsRefusedBeforeAnythingIsSent)
{
    const fs::path dir = Dir("line");
    ASSERT_EQ(RunFast({"line-backup", dir.string(), "--units", "1,4,7"}).exitCode, 0);
    const fs::path manifest = dir / "line.csv";
    const std::string original = ReadWholeFile(manifest);
    const std::string rowOf4 = original.substr(original.find("\n04,") + 1, original.find('\n', original.find("\n04,") + 1) - original.find("\n04,"));

    struct Case {
        const char* what;
        std::string manifest;
        const char* expected;
    };
    const std::vector<Case> cases{
        {"row deleted", WithoutLine(original, "04,"), "holds 2 rows, but its closing line says 3"},
        {"cut at a row boundary", original.substr(0, original.find("\n07,") + 1), "has no closing line"},
        {"row moved", WithoutLine(original, "04,") + rowOf4, "follows the closing line"},
    };
    sim().clearLog();
    for (const Case& c : cases) {
        WriteWholeFile(manifest, c.manifest);
        for (const char* command : {"line-verify", "line-restore"}) {
            const ProcessResult r = RunFast({command, dir.string()});
            EXPECT_EQ(r.exitCode, 1) << c.what;
            EXPECT_NE(Message(r).find(c.expected), std::string::npos) << c.what << "\n" << r.err;
        }
    }
    // A .bak that no row lists is named.
    WriteWholeFile(manifest, original);
    fs::copy_file(dir / BackupName(4), dir / "04-SN_004799.BAK");
    const ProcessResult stray = RunFast({"line-restore", dir.string()});
    EXPECT_EQ(stray.exitCode, 1);
    EXPECT_NE(Message(stray).find("lists no row for 04-SN_004799.BAK"), std::string::npos) << stray.err;
    EXPECT_EQ(sim().requestCount(), 0u);
    fs::remove(dir / "04-SN_004799.BAK");

    // As a spreadsheet saves it (byte order mark, CR LF, every field quoted, digests in capitals):
    // still the same manifest.
    const TManifestResult parsed = ParseLineManifest(original);
    ASSERT_TRUE(parsed.Ok()) << parsed.Error;
    std::string spreadsheet = "\xEF\xBB\xBF";
    ForEachLine(original, [&](std::string_view line) {
        std::vector<std::string> fields = *SplitCsvLine(line);
        std::string out;
        for (std::size_t i = 0; i < fields.size(); ++i) {
            std::string& f = fields[i];
            if (fields[0] != "unit" && (i == 6 || i == 10 || (fields[0] == "end" && i == 2)))
                std::transform(f.begin(), f.end(), f.begin(), [](char c) { return static_cast<char>(std::toupper(c)); });
            out += (out.empty() ? "\"" : ",\"") + f + "\"";
        }
        spreadsheet += out + "\r\n";
    });
    WriteWholeFile(manifest, spreadsheet);
    const ProcessResult sheet = RunFast({"line-verify", dir.string()});
    EXPECT_EQ(sheet.exitCode, 0) << Message(sheet);

    // A manifest of the earlier release (no closing line) is read, with a warning.
    std::string earlier = original.substr(0, original.find("\nend,") + 1);
    earlier.replace(earlier.find(",manifest_check"), 15, "");
    WriteWholeFile(manifest, earlier);
    const ProcessResult old = RunFast({"line-verify", dir.string()});
    EXPECT_EQ(old.exitCode, 0) << old.err;
    EXPECT_NE(old.err.find("warning: line.csv was written by an earlier release"), std::string::npos) << old.err;
}

TEST_F(CliLineTest, LineRestoreWritesOnlyWhatIsAskedIntoTheUnitItBelongsTo)
{
    const fs::path dir = Dir("line");
    ASSERT_EQ(RunFast({"line-backup", dir.string()}).exitCode, 0);

    // --unit is honoured as --units; line-verify, which has no choice of units, refuses it.
    sim().clearLog();
    const ProcessResult one = RunFast({"--unit", "7", "--baud", "19200", "line-restore", dir.string()});
    EXPECT_EQ(one.exitCode, 0) << one.err;
    EXPECT_EQ(WrittenUnits(sim().requestLog()), std::set<int>{7});
    EXPECT_NE(one.err.find("unit 07: addressed at 38400,E,8,1, the settings it answered at when it was backed up, not "
                           "at --baud 19200"),
              std::string::npos)
        << one.err;
    for (const std::vector<std::string>& wrong : std::vector<std::vector<std::string>>{
             {"--unit", "7", "line-verify", dir.string()}, {"--unit", "7", "line-restore", dir.string(), "--units", "4"},
             {"--timeout", "5", "line-restore", dir.string()}}) {
        EXPECT_EQ(RunFast(wrong).exitCode, 2) << wrong[0];
    }

    // Units 1 and 4 swapped, unit 7 replaced by a KM41, unit 12 reports no serial: none is written,
    // not even unit 7 declared new hardware, and each refusal says why.
    sim().setSerialText(1, "SN 004704");
    sim().setSerialText(4, "SN 004701");
    sim().setTypeText(7, "KM41 V1.02");
    sim().setSerialText(12, "");
    sim().clearLog();
    const ProcessResult refused = RunFast({"line-restore", dir.string(), "--replace", "7"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(WrittenUnits(sim().requestLog()), std::set<int>{});
    for (const char* expected :
         {"unit 01: refused: serial \"SN 004704\" is not \"SN 004701\" of the manifest; it is the serial of unit 04 in "
          "the manifest: was this unit swapped with unit 04?",
          "unit 04: refused: serial \"SN 004701\" is not \"SN 004704\" of the manifest; it is the serial of unit 01",
          "unit 07: refused: type \"KM41\" is not \"KM40\" of the manifest",
          "unit 12: refused: the unit reports no serial, so it matches no row of the manifest; not written"})
        EXPECT_NE(refused.err.find(expected), std::string::npos) << expected << "\n" << refused.err;

    // A file whose unit number or baud rate code is not where its unit is would move the unit.
    std::vector<TLineRow> rows = Manifest(dir);
    for (const auto& [parameter, value, expected] :
         {std::tuple<int, int32_t, const char*>{0, 1, "its P000 (unit number) is 1, not 4"},
          {1, 3, "its P001 (baud rate) is 3 (9600), not the 38400 the unit answered at"}}) {
        std::string bytes = ReadWholeFile(dir / BackupName(4));
        const std::string original = bytes;
        const std::size_t at = 8 + 4 * static_cast<std::size_t>(parameter);
        std::memcpy(bytes.data() + at, &value, 4);
        WriteWholeFile(dir / BackupName(4), bytes);
        rows[1].Sha256 = Sha256Hex(bytes);
        WriteWholeFile(dir / "line.csv", FormatLineManifest(rows));
        sim().clearLog();
        const ProcessResult moved = RunFast({"line-restore", dir.string(), "--replace", "4"});
        EXPECT_EQ(moved.exitCode, 1);
        EXPECT_NE(Message(moved).find(std::string("unit 04): ") + expected), std::string::npos) << moved.err;
        EXPECT_EQ(sim().requestCount(), 0u);
        WriteWholeFile(dir / BackupName(4), original);
    }
}

TEST_F(CliLineTest, AnInterruptedRestoreSaysWhatEachUnitNowHolds)
{
    const fs::path dir = Dir("line");
    ASSERT_EQ(RunFast({"line-backup", dir.string()}).exitCode, 0);

    // Unit 4 goes silent after P100: the ones before are confirmed, no "bp" goes to it, the next go on.
    km4x::Simulator& s = sim();
    s.setRequestObserver([&s](const km4x::RequestRecord& record) {
        if (record.unit == 4 && record.text.rfind("wp 100 ", 0) == 0)
            s.setFault(4, km4x::Fault::Silent, true); // from the next request on
    });
    s.clearLog();
    const ProcessResult silent = RunFast({"line-restore", dir.string()});
    s.setRequestObserver(nullptr);
    s.clearFaults();
    EXPECT_EQ(silent.exitCode, 1);
    EXPECT_NE(silent.err.find("unit 04: time-out at P101; written in part: P000..P100 confirmed, P101 unconfirmed (old or new "
                              "value); \"bp\" not sent: the unit holds old and new values"),
              std::string::npos)
        << silent.err;
    EXPECT_EQ(RequestsOf(Requests(), 4).back().rfind("wp 101 ", 0), 0u);
    EXPECT_EQ(RequestsOf(Requests(), 12).back(), "bp");
    EXPECT_NE(Message(silent).find("3 units written completely, 1 unit written in part or not computed, 0 units not written"),
              std::string::npos)
        << silent.err;

    // Ctrl-C during unit 7's setpoints: unit 12 is not touched.
    s.clearLog();
    const ProcessResult stopped = RunFast({"line-restore", dir.string()}, [this](pid_t pid) {
        if (sim().waitForRequests(2 * (4 + 449) + 4 + 420, std::chrono::seconds(120)))
            kill(pid, SIGINT);
    });
    EXPECT_EQ(stopped.exitCode, 1);
    EXPECT_NE(stopped.err.find("unit 07: interrupted at S"), std::string::npos) << stopped.err;
    // The reply to the last request was not read after Ctrl-C; the unit may hold that value all the
    // same, so the report does not call it unwritten.
    const std::vector<std::string> toUnit7 = RequestsOf(Requests(), 7);
    ASSERT_FALSE(toUnit7.empty());
    ASSERT_EQ(toUnit7.back().rfind("ws ", 0), 0u) << toUnit7.back();
    const int lastSetpoint = std::stoi(toUnit7.back().substr(3));
    char lastName[8];
    std::snprintf(lastName, sizeof lastName, "S%03d", lastSetpoint);
    EXPECT_NE(stopped.err.find(std::string(lastName) + " unconfirmed (old or new value)"), std::string::npos)
        << stopped.err;
    EXPECT_NE(stopped.err.find("unit 12: not started (cancelled); not written"), std::string::npos) << stopped.err;
    EXPECT_EQ(WrittenUnits(s.requestLog()), (std::set<int>{1, 4, 7}));
    EXPECT_NE(Message(stopped).find("interrupted; 2 units written completely, 1 unit written in part or not computed, 1 "
                                    "unit not written"),
              std::string::npos)
        << stopped.err;
}

} // namespace
} // namespace clitest
