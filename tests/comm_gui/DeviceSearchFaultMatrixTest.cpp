// Every line fault struck during the device search window's two exchanges: the select probe
// ("sc n") and the identification of a found unit ("rt", "rh", "rx"). One simulated unit (number 1,
// 9600 bit/s) among unit numbers 0..1 keep each cell short; the probes wait the search's own
// 100 ms, at the shipped end of reply and at the fast one.
//
// What each cell holds to:
// - the search ends (finished, paused on the find, or ended by a lost line) within a bound;
// - one report: a lost line is one "Comm Error" box; a probe's fault is no box (the search moves
//   on: the unit is simply not found), and an identification's fault leaves that text empty in the
//   listed row, again without a box;
// - Start is usable afterwards, Stop and Continue are not while nothing runs;
// - neither of the search's components has a request left in the port's queue;
// - after the fault is healed (the line plugged in again) Start finds the unit, fully identified.
// The search writes no file, so the file column does not apply.
#include "FaultCellChecks.h"
#include "GuiTestMain.h"
#include "LineFaultMatrix.h"
#include "MainWindowHarness.h"
#include "SearchWindowHarness.h"

#include "ModalWindows.h"
#include "params/LijnBackup.h"

#include <QDir>
#include <QLineEdit>
#include <QTableWidget>

#include <functional>
#include <iostream>

using namespace gui_test;
using namespace std::chrono_literals;

namespace {

constexpr int FoundUnit = 1;
constexpr std::chrono::milliseconds ProbeTimeout{100}; // the search's own
const QString FullIdentification = QStringLiteral("KM40 V2.31   SW 2.31 2021-03-15   SN 4711");
// The type answered; the version and serial texts struck.
const QString TypeOnly = QStringLiteral("KM40 V2.31      ");

// The harness's simulator as LineFaultInjector::Heal sees a pty: COM1 follows a re-plugged line.
struct HarnessLine {
    MainWindowHarness& harness;
    km4x::Simulator& sim() { return harness.Sim(); }
    void remap() { SetPortDevicePath(TPort::COM1, harness.Sim().devicePath()); }
};

struct Row {
    const char* operation;
    int unit;            // the unit whose requests the fault strikes
    const char* letters; // the requests the fault strikes (empty: all of that unit's)
    int skip;            // matching requests let through first
    // What the window shows once a failed search has ended (not for a lost line).
    std::function<void(TFormApparaatZoeken&, std::vector<std::string>&)> checkFailed;
};

QString Cell(TFormApparaatZoeken& w, int row, int column)
{
    const QTableWidgetItem* item = w.StringGrid1->item(row, column);
    return item ? item->text() : QString();
}

void ExpectListedAs(TFormApparaatZoeken& w, const QString& identification, std::vector<std::string>& problems)
{
    Expect(w.Search().State() == TDeviceSearch::TState::Found, "not paused on the find", problems);
    Expect(w.FoundRows().size() == 1, std::to_string(w.FoundRows().size()) + " rows listed", problems);
    Expect(Cell(w, 0, 0) == QStringLiteral("01") && Cell(w, 0, 2) == QStringLiteral("9600"),
           "row " + Cell(w, 0, 0).toStdString() + " at " + Cell(w, 0, 2).toStdString(), problems);
    Expect(Cell(w, 0, 1) == identification, "identification '" + Cell(w, 0, 1).toStdString() + "'", problems);
    Expect(w.PanelZoekTekst->text() == QStringLiteral("Device found!"), "panel '" + w.PanelZoekTekst->text().toStdString() + "'",
           problems);
    Expect(w.CmdOK->isEnabled() && w.CmdVerder->isEnabled(), "OK or Continue disabled on the find", problems);
}

// "Back up all..." over two units, struck in the second unit's read: the first unit's backup is
// kept with the manifest, the second has no file and its grid row says why; healed, a second run
// saves both. On the way the search pauses on each find, where the button stays disabled and
// sends nothing (it would share the port with the search).
struct BackupWatch {
    bool shown = false;
    QString status;
    QStringList outcomes;
    bool running = true;
    std::size_t queued = 0;
};

QString GridCell(const QTableWidget& Grid, int Row, int Column)
{
    const QTableWidgetItem* item = Grid.item(Row, Column);
    return item ? item->text() : QString();
}

std::vector<std::string> BackUpAllCell(MainWindowHarness& h, TFormApparaatZoeken& w, LineFaultInjector& inject,
                                       LineFault fault, const QString& folderBase, int& runs)
{
    std::vector<std::string> problems;
    const auto searchToTheEnd = [&](std::vector<std::string>& out) {
        w.CmdStartZoeken->click();
        for (int finds = 0; finds < 4; ++finds) {
            if (!WaitUntil([&] { return !w.Search().Running(); }))
                out.push_back("search: no end");
            if (w.Search().State() != TDeviceSearch::TState::Found)
                break;
            const std::size_t sent = h.Sim().requestCount();
            w.CmdBackupAll->click();
            Expect(!w.CmdBackupAll->isEnabled() && h.Sim().requestCount() == sent &&
                       h.dialogs.count(FakeDialogs::Kind::Directory) == 0,
                   "Back up all... took the port while the search was paused", out);
            w.CmdVerder->click();
        }
        Expect(w.FoundRows().size() == 2, std::to_string(w.FoundRows().size()) + " units listed", out);
    };
    const auto backUp = [&](const QString& folder, std::vector<std::string>& out) {
        QDir().mkpath(folder);
        h.dialogs.directoryAnswers.push_back(folder);
        BackupWatch watch;
        auto done = modal_windows::When(
            QStringLiteral("FormLijnBackup"),
            [](QWidget* window) { return static_cast<TFormLijnBackup*>(window)->CmdOK->isEnabled(); },
            [&](QWidget* window) {
                // The outcome shown: the port holds nothing of the run at this moment.
                auto* b = static_cast<TFormLijnBackup*>(window);
                watch.shown = true;
                watch.running = b->Line().Running();
                watch.queued = h.Form().ZBComm1.QueuedRequestsOf(&b->Line().KT750LijnSelect);
                watch.status = b->PanelStatus->text();
                for (int row = 0; row < b->StringGridUnits->rowCount(); ++row)
                    watch.outcomes << GridCell(*b->StringGridUnits, row, 4);
                b->CmdOK->click();
            },
            120000);
        w.CmdBackupAll->click();
        Expect(done->acted && watch.shown, "the backup window showed no end", out);
        Expect(!watch.running && watch.queued == 0, "a request left in the queue at the end", out);
        return watch;
    };
    const auto files = [](const QString& folder) {
        return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    };

    h.dialogs.asked.clear();
    searchToTheEnd(problems);
    const QString folder = folderBase + QStringLiteral("/run") + QString::number(++runs);
    inject.Arm(fault, 2, fault == LineFault::JustInside || fault == LineFault::JustOutside ? 1000ms : 100ms,
               LineFaultFails(fault) ? "rp" : "rs", LineFaultFails(fault) ? 120 : 46);
    const BackupWatch first = backUp(folder, problems);
    if (!inject.Struck())
        problems.push_back("the fault never struck");
    const QStringList both{QStringLiteral("01-SN_4701.bak"), QStringLiteral("02-SN_4702.bak"), QStringLiteral("line.csv")};
    if (LineFaultFails(fault)) {
        Expect(first.outcomes.size() == 2 && first.outcomes[0] == QStringLiteral("ok") && first.outcomes[1] != QStringLiteral("ok"),
               "outcomes " + first.outcomes.join(QStringLiteral(", ")).toStdString(), problems);
        Expect(files(folder) == QStringList{QStringLiteral("01-SN_4701.bak"), QStringLiteral("line.csv")},
               "files " + files(folder).join(QStringLiteral(", ")).toStdString(), problems);
        QTest::qWait(150);
        const int boxes = fault == LineFault::Unplugged ? 1 : 0;
        Expect(h.dialogs.count(FakeDialogs::Kind::Message) <= boxes,
               std::to_string(h.dialogs.count(FakeDialogs::Kind::Message)) + " boxes", problems);
        if (fault == LineFault::JustOutside)
            QTest::qWait(static_cast<int>(TimeOutMargin(1000ms).count()));
        HarnessLine line{h};
        if (!inject.Heal(line))
            problems.push_back("the line could not be plugged in again");
        h.dialogs.asked.clear();
        std::vector<std::string> again;
        searchToTheEnd(again);
        const QString second = folder + QStringLiteral("-again");
        const BackupWatch healed = backUp(second, again);
        Expect(healed.outcomes == QStringList{QStringLiteral("ok"), QStringLiteral("ok")} && files(second) == both,
               "outcomes " + healed.outcomes.join(QStringLiteral(", ")).toStdString(), again);
        for (const std::string& problem : again)
            problems.push_back("after healing: " + problem);
    } else {
        Expect(first.outcomes == QStringList{QStringLiteral("ok"), QStringLiteral("ok")} && files(folder) == both,
               "outcomes " + first.outcomes.join(QStringLiteral(", ")).toStdString(), problems);
        inject.Heal();
    }
    Expect(h.dialogs.count(FakeDialogs::Kind::Message) == 0, "a box after healing", problems);
    return problems;
}

} // namespace

class DeviceSearchFaultMatrixTest : public QObject {
    Q_OBJECT

private slots:
    void shipped() { everyLineFaultDuringTheSearch(ReplyEnd::Shipped); }
    void fastEnd() { everyLineFaultDuringTheSearch(ReplyEnd::Fast); }

    // 448 values a unit: at the fast end.
    void backUpAll()
    {
        km4x::UnitConfig first = Unit(1);
        km4x::UnitConfig second = Unit(2);
        first.serialText = "SN 4701";
        second.serialText = "SN 4702";
        MainWindowHarness h({first, second}, 1, false);
        TFormApparaatZoeken& w = ShowSearchWindow(h, 1, 2);
        TDeviceSearch::TOptions options = w.Search().Options();
        options.ProbeTimeoutMs = 0;
        w.Search().SetOptions(options);
        h.Form().ZBComm1.SetFastReplyEnd(true);
        LineFaultInjector inject(h.Sim());
        FaultMatrixReport report("device search window: Back up all..., fast end");
        int runs = 0;
        const QString folder = h.Dir().File(QStringLiteral("backups"));
        for (LineFault fault : AllLineFaults)
            report.RunCell("search paused, then Back up all... (unit 02 struck)", fault,
                           [&] { return BackUpAllCell(h, w, inject, fault, folder, runs); });
        report.Print(std::cout);
        QVERIFY(report.AllPassed());
    }

private:
    static void everyLineFaultDuringTheSearch(ReplyEnd end)
    {
        MainWindowHarness h({Unit(FoundUnit)}, FoundUnit, false);
        TFormApparaatZoeken& w = ShowSearchWindow(h, FoundUnit, 1);
        TDeviceSearch::TOptions options = w.Search().Options();
        options.ProbeTimeoutMs = 0; // the search's own, as shipped (the harness shortens it)
        w.Search().SetOptions(options);
        h.Form().ZBComm1.SetFastReplyEnd(end == ReplyEnd::Fast);
        HarnessLine line{h};
        LineFaultInjector inject(h.Sim());
        FaultMatrixReport report(std::string("device search window, ") + ReplyEndName(end));

        const Row rows[] = {
            {"search: select probe (sc n)", km4x::Simulator::AllUnits, "sc", 1,
             [](TFormApparaatZoeken& w, std::vector<std::string>& problems) {
                 // A probe that gets no proper echo is no unit: nothing listed, the search finishes.
                 Expect(w.Search().State() == TDeviceSearch::TState::Finished, "search not finished", problems);
                 Expect(w.FoundRows().empty(), std::to_string(w.FoundRows().size()) + " rows listed", problems);
                 Expect(w.PanelZoekTekst->text() == QStringLiteral("Search finished."),
                        "panel '" + w.PanelZoekTekst->text().toStdString() + "'", problems);
             }},
            // "sc 0" (no unit answers), "sc 1" and "rt" pass; "rh" and "rx" are struck.
            {"search: identification (rt, rh, rx)", FoundUnit, "", 3,
             [](TFormApparaatZoeken& w, std::vector<std::string>& problems) {
                 // The unit answered its select: listed, the struck texts empty. A late "rh" reply
                 // that met "rx" has it asked again, and the first "rx"'s own late reply may answer.
                 const QString serialCameLate = TypeOnly + QStringLiteral("SN 4711");
                 ExpectListedAs(w, Cell(w, 0, 1) == serialCameLate ? serialCameLate : TypeOnly, problems);
             }},
        };

        const auto runCell = [&](const Row& row, LineFault fault) {
            std::vector<std::string> problems;
            h.dialogs.asked.clear();
            inject.Arm(fault, row.unit, ProbeTimeout, row.letters, row.skip);
            w.CmdStartZoeken->click();
            if (!WaitUntil([&] { return !w.Search().Running(); }))
                problems.push_back("no end");
            // When the search has ended, the port holds nothing of it.
            Expect(h.Form().ZBComm1.QueuedRequestsOf(&w.Search().KT750ApparaatZoeken) == 0 &&
                       h.Form().ZBComm1.QueuedRequestsOf(&w.Search().ASCIILeesTypeInfo) == 0,
                   "a request left in the queue at the end", problems);
            if (!inject.Struck())
                problems.push_back("the fault never struck");
            if (LineFaultFails(fault)) {
                QTest::qWait(150); // no second box comes
                if (fault == LineFault::Unplugged) {
                    Expect(h.dialogs.count(FakeDialogs::Kind::Message) == 1 && h.dialogs.asked.size() == 1,
                           std::to_string(h.dialogs.asked.size()) + " boxes", problems);
                    Expect(!h.dialogs.asked.empty() && h.dialogs.asked[0].caption == QStringLiteral("Comm Error"),
                           "no Comm Error box", problems);
                    Expect(w.Search().State() == TDeviceSearch::TState::LineLost, "search not ended by the lost line",
                           problems);
                    Expect(!h.Form().ZBComm1.Active(), "port still open on a lost line", problems);
                } else {
                    Expect(h.dialogs.asked.empty(), std::to_string(h.dialogs.asked.size()) + " boxes", problems);
                    row.checkFailed(w, problems);
                }
                Expect(w.CmdStartZoeken->isEnabled(), "Start disabled", problems);
                Expect(!w.CmdStop->isEnabled() || w.Search().State() == TDeviceSearch::TState::Found,
                       "Stop enabled while nothing runs", problems);
            } else {
                Expect(h.dialogs.asked.empty(), std::to_string(h.dialogs.asked.size()) + " boxes", problems);
                ExpectListedAs(w, FullIdentification, problems);
            }

            // Healed (a pulled line plugged in again), Start opens the port and finds the unit.
            if (!inject.Heal(line))
                problems.push_back("the line could not be plugged in again");
            h.dialogs.asked.clear();
            w.CmdStartZoeken->click();
            if (!WaitUntil([&] { return !w.Search().Running(); }))
                problems.push_back("no end after healing");
            std::vector<std::string> again;
            ExpectListedAs(w, FullIdentification, again);
            Expect(h.dialogs.asked.empty(), "a box after healing", again);
            for (const std::string& problem : again)
                problems.push_back("after healing: " + problem);
            return problems;
        };
        for (const Row& row : rows)
            for (LineFault fault : AllLineFaults)
                report.RunCell(row.operation, fault, [&] { return runCell(row, fault); });
        // One garbled identification reply is asked for once more: the unit listed whole.
        report.RunCell(rows[1].operation, LineFault::WrongOnce, [&] { return runCell(rows[1], LineFault::WrongOnce); });
        report.Print(std::cout);
        QVERIFY(report.AllPassed());
    }
};

KMT40_GUI_TEST_MAIN(DeviceSearchFaultMatrixTest)
#include "DeviceSearchFaultMatrixTest.moc"
