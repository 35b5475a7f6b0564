// kmt40-cli line-backup, line-verify and line-restore: the whole RS485 line through TLineSequence,
// with a progress bar per unit on standard error and a line per unit's outcome.
#include "cli/CliCommands.h"
#include "cli/CliSession.h"
#include "cli/Interrupt.h"
#include "cli/JsonRecords.h"

#include "app/core/CsvText.h"
#include "app/core/TextFileIO.h"
#include "app/core/Windows1252Utf8.h"
#include "comm/FoundDevice.h"
#include "params/core/BackupFile.h"
#include "params/core/LineFolder.h"
#include "params/core/LineFolderLock.h"
#include "params/core/LineSequence.h"
#include "params/core/ParameterCatalogue.h"
#include "params/core/Sha256.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <map>

namespace cli {

namespace {

namespace fs = std::filesystem;

// A request ends within a few seconds at most; this long without any change means the line has
// gone quiet for good.
constexpr int LineStallMs = 30000;
// A manifest of 32 rows is a few kilobytes; anything this large is no manifest.
constexpr std::size_t ManifestCap = 1 << 20;

std::string UnitName(int Unit)
{
    return std::string("unit ") + static_cast<char>('0' + Unit / 10) + static_cast<char>('0' + Unit % 10);
}

// Runs Line to its end with progress on standard error: "Unit 2 of 4 (unit 05) [####...] 212/448".
// The first Ctrl-C cancels the run so that it keeps what it finished.
std::optional<CliOutcome> RunLine(CliSession& Session, TLineSequence& Line, TLineJob Job, const std::string& Dir,
                                  std::vector<TLineTarget> Targets)
{
    const int count = static_cast<int>(Targets.size());
    int shownUnit = -1;
    std::size_t reported = 0;
    long changes = 0;
    auto report = [&] {
        // Each unit's outcome once it has one, in order.
        const auto& units = Line.Units();
        while (reported < units.size() && units[reported].State != TLineUnitState::Waiting &&
               units[reported].State != TLineUnitState::Running) {
            const TLineUnitResult& unit = units[reported];
            if (unit.State == TLineUnitState::Done)
                Session.Progress().Step(TLineSequence::ValuesPerUnit);
            Session.Progress().End();
            std::string text = UnitName(unit.Row.Unit) + ": " + unit.Row.Status;
            if (Job == TLineJob::Backup && unit.State == TLineUnitState::Done)
                text += " (" + unit.Row.File + ")";
            if (Job == TLineJob::Verify && unit.State == TLineUnitState::Done) {
                const std::size_t n = unit.IdentityDifferences.size() + unit.ValueDifferences.size();
                text = UnitName(unit.Row.Unit) + ": " +
                       (n == 0 ? std::string("matches") : std::to_string(n) + (n == 1 ? " difference" : " differences"));
            }
            Session.Err() << text << '\n' << std::flush;
            ++reported;
        }
    };
    Line.OnChanged = [&] {
        ++changes;
        report();
        const int current = Line.Current();
        if (current < 0)
            return;
        if (current != shownUnit) {
            shownUnit = current;
            const char* doing = Job == TLineJob::Backup ? "backing up" : Job == TLineJob::Verify ? "verifying" : "restoring";
            Session.Progress().Begin("Unit " + std::to_string(current + 1) + " of " + std::to_string(count) + " (" +
                                         UnitName(Line.Units()[static_cast<std::size_t>(current)].Row.Unit) + ", " +
                                         doing + ")",
                                     TLineSequence::ValuesPerUnit);
        }
        Session.Progress().Step(Line.ValuesDone());
    };
    InterruptGuard interrupt;
    Line.Start(Job, Dir, std::move(Targets));
    const bool ended = Session.Link().RunUntil(
        [&] {
            if (InterruptRequested() && Line.Running() && !Line.Cancelled())
                Line.Cancel();
            return !Line.Running();
        },
        [&] { return changes; }, LineStallMs);
    Session.Progress().End();
    report();
    Line.OnChanged = nullptr;
    if (!ended)
        return CliOutcome::Failure("the line stopped answering");
    if (Line.Cancelled())
        return CliOutcome::Failure(Job == TLineJob::Backup ? "interrupted; the units finished before are kept" : "interrupted");
    if (Line.LineLost())
        return CliOutcome::Failure("the line was lost");
    return std::nullopt;
}

// The units that answer "sc n" at the line settings as they are.
std::vector<int> ScanUnits(CliSession& Session)
{
    std::vector<int> units;
    Session.Progress().Begin("Looking for units on " + Session.Setup().devicePath, UnitNoMax + 1);
    for (int unit = 0; unit <= UnitNoMax; ++unit) {
        const std::string select = "sc " + std::to_string(unit);
        const ExchangeResult reply = Session.Link().Exchange(select, 0);
        if (reply.answered && std::string(reply.reply.begin(), reply.reply.end()) == select + "\r\n")
            units.push_back(unit);
        Session.Progress().Step(unit + 1);
    }
    Session.Progress().End();
    return units;
}

std::optional<CliOutcome> PrepareDirectory(const std::string& Dir)
{
    std::error_code ec;
    fs::create_directories(Dir, ec);
    std::error_code ignored; // ec keeps the reason the folder could not be made
    if (!fs::is_directory(Dir, ignored))
        return CliOutcome::Failure(Dir + ": cannot make this folder" + (ec ? ": " + ec.message() : std::string()));
    return std::nullopt;
}

// The manifest and every backup it lists as saved, checked before anything is sent: the rows (as
// ParseLineManifest checks them), then each file's size, digest and markers.
struct LoadedLine {
    std::vector<TLineTarget> Targets;
    std::vector<TLineRow> Unsaved; // rows without a backup
    std::vector<TLineRow> Rows;    // every row of the manifest
    std::string Warning;           // what a manifest of an earlier release cannot prove
};

// The code P001 holds for each baud rate (28800 has none).
constexpr std::array<int, 8> BaudRateCodes{1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};

// Restore: a file whose unit number (P000) or baud rate code (P001) is not where its unit is on the
// line would move the unit to another address or rate, where it may collide with another unit.
std::string MoveOnTheLine(const TLineTarget& Target)
{
    const int32_t unit = Target.Parameters[0];
    if (unit != Target.Unit)
        return "its P000 (unit number) is " + std::to_string(unit) + ", not " + std::to_string(Target.Unit);
    if (!Target.Line)
        return {};
    static constexpr int Rates[] = {1200, 2400, 4800, 9600, 19200, 28800, 38400, 57600, 115200};
    const int rate = Rates[Ordinal(Target.Line->Baudrate)];
    const auto code = std::find(BaudRateCodes.begin(), BaudRateCodes.end(), rate);
    if (code == BaudRateCodes.end())
        return {};
    const int32_t stored = Target.Parameters[1];
    if (stored != static_cast<int32_t>(code - BaudRateCodes.begin()))
        return "its P001 (baud rate) is " + std::to_string(stored) +
               (stored >= 0 && stored < static_cast<int32_t>(BaudRateCodes.size())
                    ? " (" + std::to_string(BaudRateCodes[static_cast<std::size_t>(stored)]) + ")"
                    : std::string()) +
               ", not the " + std::to_string(rate) + " the unit answered at";
    return {};
}

// A .bak in the folder that no row lists: a row may have been lost.
std::optional<CliOutcome> UnlistedBackups(const std::string& Dir, const std::vector<TLineRow>& Rows)
{
    std::error_code ec;
    std::vector<std::string> unlisted;
    for (fs::directory_iterator it(Dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (IsBackupFileName(name) && std::none_of(Rows.begin(), Rows.end(), [&](const TLineRow& r) { return r.File == name; }))
            unlisted.push_back(name);
    }
    if (unlisted.empty())
        return std::nullopt;
    std::sort(unlisted.begin(), unlisted.end());
    std::string names;
    for (const std::string& name : unlisted)
        names += (names.empty() ? "" : ", ") + name;
    return CliOutcome::Failure((fs::path(Dir) / LineManifestName).string() + " lists no row for " + names +
                               " in the same folder: a row may have been lost; move the file elsewhere if it does not "
                               "belong to this line backup; nothing was sent");
}

std::optional<CliOutcome> LoadLine(const std::string& Dir, const std::optional<std::vector<int>>& Units, bool Restoring,
                                   LoadedLine& Loaded)
{
    const std::string manifestPath = (fs::path(Dir) / LineManifestName).string();
    std::string text;
    const TReadResult read = ReadFileCapped(manifestPath, ManifestCap, text);
    if (read == TReadResult::Missing || read == TReadResult::Unreadable)
        return CliOutcome::Failure(manifestPath + ": cannot be read; is " + Dir + " the folder of a line backup?");
    if (read == TReadResult::Truncated)
        return CliOutcome::Failure(manifestPath + ": too large for a line manifest");
    const TManifestResult manifest = ParseLineManifest(text);
    if (!manifest.Ok())
        return CliOutcome::Failure(fs::path(Dir).string() + "/" + manifest.Error + "; nothing was sent");
    if (auto unlisted = UnlistedBackups(Dir, manifest.Rows))
        return unlisted;
    Loaded.Rows = manifest.Rows;
    Loaded.Warning = manifest.Warning;
    if (Units)
        for (int unit : *Units)
            if (std::none_of(manifest.Rows.begin(), manifest.Rows.end(), [&](const TLineRow& r) { return r.Unit == unit; }))
                return CliOutcome::Failure(UnitName(unit) + " is not in " + manifestPath);

    int lineNumber = 1;
    for (const TLineRow& row : manifest.Rows) {
        ++lineNumber;
        if (Units && std::find(Units->begin(), Units->end(), row.Unit) == Units->end())
            continue;
        if (!row.Saved()) {
            Loaded.Unsaved.push_back(row);
            continue;
        }
        const std::string path = (fs::path(Dir) / row.File).string();
        const std::string where = path + " (" + LineManifestName + " line " + std::to_string(lineNumber) + ", " +
                                  UnitName(row.Unit) + ")";
        std::string bytes;
        const TReadResult file = ReadFileCapped(path, BackupFileSize + 1, bytes);
        if (file == TReadResult::Missing || file == TReadResult::Unreadable)
            return CliOutcome::Failure(where + ": cannot be read; nothing was sent");
        if (bytes.size() != row.Bytes || Sha256Hex(bytes) != row.Sha256)
            return CliOutcome::Failure(where + ": its SHA-256 differs from the manifest's, so the file was changed "
                                               "or damaged; nothing was sent");
        TLineTarget target;
        target.Unit = row.Unit;
        target.Line = row.Line;
        target.Row = row;
        std::array<int32_t, SetpointCount> setpoints{};
        const TFileResult parsed = ParseBackup(bytes, target.Parameters, setpoints);
        if (!parsed.Ok())
            return CliOutcome::Failure(where + ": " + DescribeFileResult(parsed, "") + "; nothing was sent");
        std::copy(setpoints.begin(), setpoints.end(), target.Setpoints.begin() + 1);
        if (const std::string move = Restoring ? MoveOnTheLine(target) : std::string(); !move.empty())
            return CliOutcome::Failure(where + ": " + move + "; writing it would move " + UnitName(row.Unit) +
                                       " on the line. Nothing was sent; leave the unit out with --units");
        Loaded.Targets.push_back(std::move(target));
    }
    return std::nullopt;
}

// When every unit answered at the same settings, the port opens at them, so it is never set up
// again between units (some serial drivers refuse to change an open port).
void OpenAtSharedSettings(CliSession& Session, const std::vector<TLineTarget>& Targets)
{
    if (Targets.empty() || !Targets.front().Line)
        return;
    const TUnitLine shared = *Targets.front().Line;
    for (const TLineTarget& target : Targets)
        if (target.Line != shared)
            return;
    Session.UseLineSettings(Ordinal(shared.Baudrate), Ordinal(shared.Databits), Ordinal(shared.Parity),
                            Ordinal(shared.Stopbits));
}

// Each unit is addressed at its row's settings; where the user asked for others, say so once per unit.
void ReportRowSettings(CliSession& Session, const CliOptions& Options, const std::vector<TLineTarget>& Targets)
{
    for (const TLineTarget& target : Targets) {
        if (!target.Line)
            continue;
        const auto row = SplitCsvLine(UnitLineText(*target.Line));
        if (!row || row->size() != 4)
            continue;
        std::string given;
        auto differs = [&](bool Given, const std::string& Option, const std::string& Value, const std::string& Row) {
            if (Given && Value != Row)
                given += (given.empty() ? "" : ", ") + Option + " " + Value;
        };
        differs(Options.baud.has_value(), "--baud", Options.baud ? std::to_string(*Options.baud) : "", (*row)[0]);
        differs(Options.parity.has_value(), "--parity", Options.parity ? std::string(1, *Options.parity) : "", (*row)[1]);
        differs(Options.dataBits.has_value(), "--databits", Options.dataBits ? std::to_string(*Options.dataBits) : "", (*row)[2]);
        differs(Options.stopBits.has_value(), "--stopbits", Options.stopBits ? std::to_string(*Options.stopBits) : "", (*row)[3]);
        if (!given.empty())
            Session.Err() << UnitName(target.Unit) << ": addressed at " << UnitLineText(*target.Line)
                          << ", the settings it answered at when it was backed up, not at " << given << '\n';
    }
}

void ReportUnsaved(CliSession& Session, const std::string& Dir, const std::vector<TLineRow>& Unsaved)
{
    for (const TLineRow& row : Unsaved)
        Session.Err() << UnitName(row.Unit) << ": skipped, the line backup holds no file of it (" << row.Status << ")\n";
    // A run that failed set the good backup aside: a technician who did not read that must find it.
    if (const std::string earlier = Unsaved.empty() ? std::string() : LatestEarlierLineBackup(Dir); !earlier.empty())
        Session.Err() << "the line backup that was in " << Dir << " before the last line-backup is kept in " << earlier
                      << '\n';
}

std::string Count(std::size_t N, const char* One, const char* Many)
{
    return std::to_string(N) + " " + (N == 1 ? One : Many);
}

} // namespace

CliOutcome RunLineBackup(CliSession& Session, const CliOptions& Options)
{
    const std::string& dir = Options.file;
    if (auto failed = PrepareDirectory(dir))
        return *failed;
    // Held until the run ends, before anything is sent.
    const TLineFolderLock folderLock(dir);
    if (!folderLock.Held())
        return CliOutcome::Failure(folderLock.Error() + "; nothing was read");

    std::vector<TLineTarget> targets;
    if (Options.searchUnits) {
        std::vector<TFoundDevice> found;
        const auto failed =
            SearchUnits(Session, Options, [] {}, [&](const TFoundDevice& device) { found.push_back(device); });
        targets = LineTargetsOfFound(found, Session.Link().Port().FrameDatabits());
        if (failed)
            return *failed;
    } else {
        if (auto failed = Session.OpenLine())
            return *failed;
        for (int unit : Options.units ? *Options.units : ScanUnits(Session)) {
            TLineTarget target;
            target.Unit = unit;
            targets.push_back(target);
        }
    }
    if (targets.empty())
        return CliOutcome::Failure("no unit answered on " + Session.Where());
    if (!Session.Link().Port().Active())
        if (auto failed = Session.OpenLine())
            return *failed;
    const TEarlierBackup earlier = SetAsideEarlierLineBackup(dir);
    if (!earlier.Ok())
        return CliOutcome::Failure("the line backup already in " + dir + " could not be kept: " + earlier.Error +
                                   "; nothing was read");
    if (!earlier.Folder.empty())
        Session.Err() << dir << " held a line backup: it is kept in " << earlier.Folder << '\n';

    TLineSequence line(Session.Link().Port());
    const std::size_t planned = targets.size();
    if (auto failed = RunLine(Session, line, TLineJob::Backup, dir, std::move(targets)))
        return CliOutcome::Failure(failed->message + "; " + line.ManifestPath() + " says which units are saved");
    if (!line.ManifestError().empty())
        return CliOutcome::Failure("the manifest could not be written: " + line.ManifestError());
    const std::size_t saved = static_cast<std::size_t>(
        std::count_if(line.Units().begin(), line.Units().end(), [](const TLineUnitResult& u) { return u.State == TLineUnitState::Done; }));
    if (saved != planned)
        return CliOutcome::Failure(Count(planned - saved, "unit was", "units were") + " not saved; " +
                                   line.ManifestPath() + " says why");
    Session.Err() << "Saved " << Count(saved, "unit", "units") << " and " << line.ManifestPath() << '\n';
    return CliOutcome::Success();
}

// line-verify --json: the directory, whether the whole line matches, and per unit what the text
// form prints: its identity differences and its value differences, or why it was not compared.
JsonRecord LineVerifyJson(const std::string& Dir, const std::vector<TLineUnitResult>& Units,
                          const std::vector<TLineRow>& Unsaved)
{
    JsonRecord units = JsonRecord::array();
    bool equal = Unsaved.empty();
    for (const TLineUnitResult& unit : Units) {
        JsonRecord record = DifferencesJson(unit.ValueDifferences);
        record["unit"] = unit.Row.Unit;
        record["serial"] = Windows1252ToUtf8(unit.Row.Serial);
        record["equal"] = unit.Matches();
        record["status"] = unit.State == TLineUnitState::Done ? std::string("compared") : unit.Row.Status;
        JsonRecord identity = JsonRecord::array();
        for (const std::string& d : unit.IdentityDifferences)
            identity.push_back(Windows1252ToUtf8(d));
        record["identity_differences"] = std::move(identity);
        equal = equal && unit.Matches();
        units.push_back(std::move(record));
    }
    JsonRecord skipped = JsonRecord::array();
    for (const TLineRow& row : Unsaved)
        skipped.push_back(JsonRecord{{"unit", row.Unit}, {"status", row.Status}});
    JsonRecord record;
    record["directory"] = Dir;
    record["equal"] = equal;
    record["units"] = std::move(units);
    record["skipped"] = std::move(skipped);
    return record;
}

CliOutcome RunLineVerify(CliSession& Session, const CliOptions& Options)
{
    LoadedLine loaded;
    if (auto failed = LoadLine(Options.file, std::nullopt, false, loaded))
        return *failed;
    // Names, decimals and option texts of the differences come from the catalogue, if there.
    ParameterDef_lezen();
    if (!loaded.Warning.empty())
        Session.Err() << "warning: " << loaded.Warning << '\n';
    ReportUnsaved(Session, Options.file, loaded.Unsaved);
    ReportRowSettings(Session, Options, loaded.Targets);
    OpenAtSharedSettings(Session, loaded.Targets);
    if (auto failed = Session.OpenLine())
        return *failed;
    TLineSequence line(Session.Link().Port());
    const auto failed = RunLine(Session, line, TLineJob::Verify, Options.file, std::move(loaded.Targets));
    std::size_t differing = 0;
    for (const TLineUnitResult& unit : line.Units()) {
        differing += unit.Matches() ? 0 : 1;
        if (Options.json)
            continue;
        const std::string prefix = UnitName(unit.Row.Unit) + ": ";
        for (const std::string& d : unit.IdentityDifferences)
            Session.Out() << prefix << d << '\n';
        for (const TValueDifference& d : unit.ValueDifferences)
            Session.Out() << prefix << DifferenceLine(d) << '\n';
    }
    if (failed)
        return *failed;
    if (Options.json)
        PrintJson(Session.Out(), LineVerifyJson(Options.file, line.Units(), loaded.Unsaved));
    Session.Out().flush();
    if (differing > 0 || !loaded.Unsaved.empty())
        return CliOutcome::Failure(Count(differing + loaded.Unsaved.size(), "unit does", "units do") +
                                   " not match the line backup in " + Options.file);
    Session.Err() << "The whole line matches " << Options.file << '\n';
    return CliOutcome::Success();
}

CliOutcome RunLineRestore(CliSession& Session, const CliOptions& Options)
{
    LoadedLine loaded;
    if (auto failed = LoadLine(Options.file, Options.units, true, loaded))
        return *failed;
    for (int unit : Options.replace) {
        auto target = std::find_if(loaded.Targets.begin(), loaded.Targets.end(), [&](const TLineTarget& t) { return t.Unit == unit; });
        if (target == loaded.Targets.end())
            return CliOutcome::Failure("--replace " + std::to_string(unit) + ": " + UnitName(unit) +
                                       " is not among the units to restore");
        target->Replacement = true;
    }
    if (!loaded.Warning.empty())
        Session.Err() << "warning: " << loaded.Warning << '\n';
    ReportUnsaved(Session, Options.file, loaded.Unsaved);
    ReportRowSettings(Session, Options, loaded.Targets);
    OpenAtSharedSettings(Session, loaded.Targets);
    if (auto failed = Session.OpenLine())
        return *failed;
    TLineSequence line(Session.Link().Port());
    line.SetManifestRows(loaded.Rows);
    const std::size_t planned = loaded.Targets.size();
    const auto failed = RunLine(Session, line, TLineJob::Restore, Options.file, std::move(loaded.Targets));
    std::size_t refused = 0;
    std::size_t restored = 0;
    std::size_t inPart = 0;
    for (const TLineUnitResult& unit : line.Units()) {
        restored += unit.State == TLineUnitState::Done ? 1 : 0;
        inPart += unit.Row.Status.find("; written in part") != std::string::npos ||
                          unit.Row.Status.find("; every value written") != std::string::npos
                      ? 1
                      : 0;
        const bool serial = unit.Row.Status.rfind("refused: serial", 0) == 0 ||
                            unit.Row.Status.rfind("refused: the unit reports no serial", 0) == 0;
        if (serial) {
            ++refused;
            Session.Err() << UnitName(unit.Row.Unit) << " was not written: if it is replacement hardware, say so with --replace "
                          << unit.Row.Unit << '\n';
        }
    }
    // What the line now holds, whatever ended the run.
    const std::string summary = Count(restored, "unit", "units") + " written completely, " +
                                Count(inPart, "unit", "units") + " written in part or not computed, " +
                                Count(planned - restored - inPart + loaded.Unsaved.size(), "unit", "units") +
                                " not written";
    if (failed)
        return CliOutcome::Failure(failed->message + "; " + summary);
    if (restored != planned || !loaded.Unsaved.empty())
        return CliOutcome::Failure(Count(planned - restored + loaded.Unsaved.size(), "unit was", "units were") +
                                   " not restored" + (refused ? " (" + Count(refused, "serial differs", "serials differ") + ")" : "") +
                                   "; " + summary);
    Session.Err() << "Restored " << Count(restored, "unit", "units") << " from " << Options.file << '\n';
    return CliOutcome::Success();
}

} // namespace cli
