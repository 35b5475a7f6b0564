// The line commands through the real kmt40-cli against four simulated units of different serial
// numbers on one line: line-backup's files are the single backups byte for byte and its manifest
// holds their digests; line-verify finds the one setpoint changed; line-restore sends what four single
// restores send, refuses a unit whose serial changed unless --replace says so; and the faults: a
// unit silent mid-read, a line unplugged, Ctrl-C, a damaged manifest and a changed backup file.
#include "CliFixture.h"

#include "params/core/LineManifest.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <future>
#include <map>
#include <thread>

namespace clitest {
namespace {

const std::vector<int> LineUnits{1, 4, 7, 12};

km4x::SimulatorOptions FourUnits()
{
    km4x::SimulatorOptions options;
    options.units.clear();
    for (int number : LineUnits) {
        km4x::UnitConfig unit;
        unit.number = number;
        options.units.push_back(unit); // serial "SN 0047" + two digits of the unit: all differ
    }
    return options;
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
    EXPECT_FALSE(fs::exists(fs::path(Dir("line")) / "line.csv.tmp"));
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
            if (request == "sc 7" || request.rfind("wp 30 ", 0) == 0 || request.rfind("ws 3 ", 0) == 0)
                request = request == "sc 7" ? "sc " + std::to_string(unit)
                          : request[1] == 'p' ? "wp 30 " + std::to_string(100 + unit)
                                              : "ws 3 " + std::to_string(-1000 * unit);
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
        {"cut short", original.substr(0, original.size() - 30), "line.csv line 3 (unit 04) has"},
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

} // namespace
} // namespace clitest
