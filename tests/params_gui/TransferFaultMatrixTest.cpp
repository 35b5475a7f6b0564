// Every line fault struck in the middle of the main window's receive-all, backup and restore and
// under the loader's "bp", through the real windows and the real serial stack against the simulator: the
// run ends, reports once in its red panel and no box, leaves its buttons working, damages no file,
// leaves no request queued, and runs through once the line is healthy again.

#include "TransferHarness.h"

#include "params/LeesParSoll.h"
#include "params/MainParamCommands.h"
#include "params/ParLoader.h"
#include "params/SchrijfParSoll.h"
#include "params/core/BackupFile.h"
#include "support/CellsInChildProcesses.h"
#include "support/FaultCellChecks.h"
#include "support/LineFaultMatrix.h"
#include "support/RequestTexts.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>

#include <functional>
#include <iostream>

using namespace xfer_gui;
using namespace std::chrono_literals;

namespace {

using Problems = std::vector<std::string>;

// Far beyond any run of this matrix; only a hang reaches it.
constexpr int kBoundMs = 60000;
// How long a stopped run is watched for a second report.
constexpr int kQuietMs = 300;

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool WriteAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

QByteArray Bytes(const std::vector<uint8_t>& bytes)
{
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
}

int Boxes(const FakeDialogs& dialogs)
{
    return dialogs.count(FakeDialogs::Kind::Message) + dialogs.count(FakeDialogs::Kind::Error);
}

// Where a fault is aimed: the failing columns early in the transfer; the two timing columns, which
// slow every request from their strike on, near its end so a run stays short.
struct Aim {
    std::string letters;
    int skip = 0;
    std::string timingLetters;
    int timingSkip = 0;
    std::chrono::milliseconds timeout; // of the requests struck
};

void ArmAt(LineFaultInjector& inject, LineFault fault, const Aim& aim)
{
    const bool timing = fault == LineFault::JustInside || fault == LineFault::JustOutside;
    inject.Arm(fault, 0, aim.timeout, timing ? aim.timingLetters : aim.letters, timing ? aim.timingSkip : aim.skip);
}

// The red panel text a failed transfer run shows for each fault (language keys of TransferHarness).
QString ExpectedTransferPanel(LineFault fault, const char* section)
{
    const QString prefix = QString::fromLatin1(section);
    switch (fault) {
    case LineFault::Silent:
    case LineFault::JustOutside: return prefix + QStringLiteral("-0");
    case LineFault::Unplugged: return prefix + QStringLiteral("-1");
    default: return prefix + QStringLiteral("-7 "); // the wrong reply, with its first characters
    }
}

// How a transfer window's run went, watched from its own modal loop while a command runs it.
struct TransferWatch {
    bool finished = false;
    bool stopped = false; // failed or ended by an error report
    bool hung = false;
    QString panel;
    std::string item; // the value the run stopped at, P017 or S005
    bool red = false;
    bool okEnabled = false, againEnabled = false, cancelEnabled = false;
    bool panelChangedAfter = false;
    int boxesAfter = 0; // boxes asked while the stopped run was watched
    bool portOpen = true; // once the stopped run was watched
    std::size_t queued = 0;
    bool cancelClosed = false;
};

// Arms a watcher for Window, then runs Command (which opens the window modally). A finished run is
// closed with OK; a stopped one is looked at (the port's queue at that moment too), watched for
// kQuietMs, and closed with Cancel. A time-out is not answered with Again: the first failure counts.
TransferWatch RunTransferCommand(TTransferWindow& Window, const TTransferSequence& Sequence, TZBComm& Port,
                                 const std::vector<const TZBComponent*>& Components, FakeDialogs& Dialogs,
                                 const std::function<void()>& Command)
{
    TransferWatch watch;
    QElapsedTimer clock;
    clock.start();
    QElapsedTimer quiet;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (!Window.isVisible())
            return;
        const TTransferView& view = Sequence.View();
        if (view.Finished && view.OKEnabled && !watch.stopped) {
            watch.finished = true;
            timer.stop();
            Window.CmdOK->click();
            return;
        }
        const bool stopped = !view.Finished && view.AgainEnabled && !Sequence.RequestOutstanding();
        if (stopped && !watch.stopped) {
            watch.stopped = true;
            watch.panel = Window.Panel1->text();
            watch.item = (view.Parameters ? "P" : "S") + std::to_string(view.CurrentNumber);
            watch.red = IsRed(Window.Panel1);
            watch.okEnabled = Window.CmdOK->isEnabled();
            watch.againEnabled = Window.CmdAgain->isEnabled();
            watch.cancelEnabled = Window.CmdCancel->isEnabled();
            watch.boxesAfter = Boxes(Dialogs);
            for (const TZBComponent* component : Components)
                watch.queued += Port.QueuedRequestsOf(component);
            quiet.start();
            return;
        }
        if (watch.stopped && quiet.elapsed() >= kQuietMs) {
            timer.stop();
            watch.panelChangedAfter = Window.Panel1->text() != watch.panel;
            watch.boxesAfter = Boxes(Dialogs) - watch.boxesAfter;
            watch.portOpen = Port.Active();
            Window.CmdCancel->click();
            watch.cancelClosed = !Window.isVisible();
            if (!watch.cancelClosed)
                Window.done(QDialog::Rejected);
            return;
        }
        if (clock.elapsed() > kBoundMs) {
            timer.stop();
            watch.hung = true;
            Window.done(QDialog::Rejected);
        }
    });
    timer.start(10);
    Command();
    return watch;
}

// The checks every failed transfer cell shares.
void CheckStoppedTransfer(const TransferWatch& watch, LineFault fault, const char* section,
                          std::chrono::milliseconds timeout, Problems& problems)
{
    if (watch.hung)
        problems.push_back("no end within the bound");
    if (!watch.stopped) {
        problems.push_back(watch.finished ? "reported success" : "never stopped");
        return;
    }
    const QString expected = ExpectedTransferPanel(fault, section);
    // A write waits only 100 ms: on a loaded machine its time-out may come before the hang-up.
    const bool lossAsTimeout = fault == LineFault::Unplugged && timeout < 1s &&
                               watch.panel == ExpectedTransferPanel(LineFault::Silent, section);
    if (!watch.red || !(watch.panel.startsWith(expected) || lossAsTimeout))
        problems.push_back("panel '" + watch.panel.toStdString() + "' instead of '" + expected.toStdString() + "'");
    // A lost line's one box (checked by the cell) comes once the request that found out is done.
    if (watch.panelChangedAfter || watch.boxesAfter > (fault == LineFault::Unplugged ? 1 : 0))
        problems.push_back("a further report");
    if (fault == LineFault::Unplugged && !lossAsTimeout && watch.portOpen)
        problems.push_back("port left open on a lost line");
    if (watch.okEnabled || !watch.againEnabled || !watch.cancelEnabled)
        problems.push_back("buttons: OK/Again/Cancel should be off/on/on");
    if (!watch.cancelClosed)
        problems.push_back("Cancel did not close the window");
    if (watch.queued != 0)
        problems.push_back(std::to_string(watch.queued) + " requests left queued");
}

// Heals the line and, where the fault pulled it, closes and opens the port as a user would.
void HealAndReopen(TransferHarness& h, LineFaultInjector& inject, LineFault fault, Problems& problems)
{
    if (!inject.Heal(h.pty))
        problems.push_back("line could not be plugged in again");
    if (fault == LineFault::Unplugged || !h.port.Active()) {
        h.port.Close();
        h.port.Open();
    }
    if (!h.port.Active())
        problems.push_back("port did not open again");
}

QStringList FilesIn(const QTemporaryDir& dir)
{
    return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

class TransferFaultMatrix {
public:
    explicit TransferFaultMatrix(ReplyEnd end) : inject_(h_.sim)
    {
        h_.port.SetFastReplyEnd(end == ReplyEnd::Fast);
        ProgramSettings.OpenCloseDialoogPath = dir_.path().toStdString();
    }

    // One cell of a transfer command: run() is struck by the fault armed at aim; a stopped run is
    // checked by failed() and, once the line is healed, run again; a completed run by completed().
    // run(true) is a run that must complete.
    Problems TransferCell(LineFault fault, const Aim& aim, const char* section,
                          const std::function<TransferWatch(bool completing)>& run,
                          const std::function<void(Problems&)>& failed, const std::function<void(Problems&)>& completed)
    {
        Problems problems;
        ArmAt(inject_, fault, aim);
        const TransferWatch first = run(!LineFaultFails(fault));
        if (LineFaultFails(fault)) {
            CheckStoppedTransfer(first, fault, section, aim.timeout, problems);
            failed(problems);
        } else {
            if (!first.finished)
                problems.push_back("did not finish: '" + first.panel.toStdString() + "' at " + first.item);
            completed(problems);
        }
        // The controller still answers the request given up on; a user's re-run comes after that.
        if (fault == LineFault::JustOutside)
            QTest::qWait(static_cast<int>(TimeOutMargin(aim.timeout).count()));
        HealAndReopen(h_, inject_, fault, problems);
        if (LineFaultFails(fault)) {
            const TransferWatch again = run(true);
            if (!again.finished)
                problems.push_back("re-run failed: '" + again.panel.toStdString() + "' at " + again.item);
            completed(problems);
        }
        return problems;
    }

    // Backup: the read window struck while reading; the earlier backup file stays as it was.
    Problems Backup(LineFault fault)
    {
        const Aim aim{"rp", 120, "rs", 46, std::chrono::milliseconds(TReadSequence::TimeoutTime)};
        const QString path = dir_.filePath(QStringLiteral("device.bak"));
        const QByteArray earlier("the earlier backup");
        if (!WriteAll(path, earlier))
            return {"cannot prepare the earlier file"};

        auto backup = [&](TFormLeesParSoll& window, bool) {
            h_.dialogs.asked.clear();
            h_.dialogs.saveFileAnswers = {path};
            return RunTransferCommand(window, window.Sequence(), h_.port, {&window.Sequence().KT750LeesParSoll},
                                      h_.dialogs, [&] { BackupKM40(window, nullptr, h_.dialogs); });
        };
        auto savedWhole = [&](Problems& out) {
            const QByteArray bytes = ReadAll(path);
            TParameterValues expected{};
            std::array<int32_t, 48> setpoints{};
            for (int n = 0; n < 400; ++n)
                expected[n] = *h_.sim.parameter(0, n);
            for (int k = 1; k <= 48; ++k)
                setpoints[k - 1] = *h_.sim.setpoint(0, k);
            if (bytes != Bytes(FormatBackup(expected, setpoints)))
                out.push_back("backup file not the controller's values");
            if (h_.dialogs.count(FakeDialogs::Kind::SaveFile) != 1 || Boxes(h_.dialogs) != 0)
                out.push_back("not one save dialog and no box");
        };

        TFormLeesParSoll window(&h_.port);
        Problems problems = TransferCell(
            fault, aim, "READ", [&](bool completing) { return backup(window, completing); },
            [&](Problems& out) {
                if (h_.dialogs.count(FakeDialogs::Kind::SaveFile) != 0 ||
                    Boxes(h_.dialogs) != LineLostBoxes(fault, out))
                    out.push_back("a dialog or box after a failed read");
                if (ReadAll(path) != earlier || FilesIn(dir_) != QStringList{QStringLiteral("device.bak")})
                    out.push_back("earlier file changed or a file left beside it");
            },
            savedWhole);
        if (FilesIn(dir_) != QStringList{QStringLiteral("device.bak")})
            problems.push_back("a file left beside the backup");
        QFile::remove(path);
        return problems;
    }

    // "Parameters + Sollwerten ontvangen": the read window struck while reading; the value tables
    // stay as they were unless the read completed.
    Problems ReceiveAll(LineFault fault)
    {
        const Aim aim{"rp", 120, "rs", 46, std::chrono::milliseconds(TReadSequence::TimeoutTime)};
        TParameterValues parameters{};
        TSetpointValues setpoints{};
        bool received = false;
        auto receive = [&](TFormLeesParSoll& window, bool) {
            parameters.fill(-7); // what the tables held before
            setpoints.fill(-7);
            h_.dialogs.asked.clear();
            return RunTransferCommand(window, window.Sequence(), h_.port, {&window.Sequence().KT750LeesParSoll}, h_.dialogs,
                                      [&] { received = ReceiveParametersAndSetpoints(window, parameters, setpoints); });
        };
        TFormLeesParSoll window(&h_.port);
        return TransferCell(
            fault, aim, "READ", [&](bool completing) { return receive(window, completing); },
            [&](Problems& out) {
                const bool untouched = std::all_of(parameters.begin(), parameters.end(), [](int32_t v) { return v == -7; }) &&
                                       std::all_of(setpoints.begin(), setpoints.end(), [](int32_t v) { return v == -7; });
                if (received || !untouched)
                    out.push_back("the value tables changed after a failed read");
                if (Boxes(h_.dialogs) != LineLostBoxes(fault, out))
                    out.push_back("a box after a failed read");
            },
            [&](Problems& out) {
                bool same = received;
                for (int n = 0; n < 400; ++n)
                    same = same && parameters[n] == *h_.sim.parameter(0, n);
                for (int k = 1; k <= 48; ++k)
                    same = same && setpoints[k] == *h_.sim.setpoint(0, k);
                if (!same || Boxes(h_.dialogs) != 0)
                    out.push_back("not the controller's values, or a box");
            });
    }

    // Restore: the write window struck while writing; the backup file is only read.
    Problems Restore(LineFault fault)
    {
        // The timing columns strike the computation after the last setpoint: its 2000 ms leave a
        // margin no loaded machine crosses; the writes' 100 ms are the loader row's subject.
        const Aim aim{"wp", 40, "ws", 48, std::chrono::milliseconds(TWriteSequence::ComputeTimeoutTime)};
        const QString path = dir_.filePath(QStringLiteral("restore.bak"));
        TParameterValues parameters{};
        std::array<int32_t, 48> setpoints{};
        for (int n = 0; n < 400; ++n)
            parameters[n] = *h_.sim.parameter(0, n);
        parameters[12] = -5;
        parameters[399] = 77777;
        for (int k = 0; k < 48; ++k)
            setpoints[k] = 500 - 21 * k;
        const QByteArray file = Bytes(FormatBackup(parameters, setpoints));
        if (!WriteAll(path, file))
            return {"cannot prepare the backup file"};

        auto restore = [&](TFormSchrijfParSoll& window, bool) {
            h_.sim.setParameter(0, 399, 1);
            h_.sim.setSetpoint(0, 48, 1);
            h_.dialogs.asked.clear();
            h_.dialogs.openFileAnswers = {path};
            h_.dialogs.messageAnswers = {QMessageBox::Yes};
            return RunTransferCommand(window, window.Sequence(), h_.port,
                                      {&window.Sequence().KT750SchrijfParSoll,
                                       &window.Sequence().KT750BerekenParameters},
                                      h_.dialogs, [&] { RestoreKM40(window, nullptr, h_.dialogs); });
        };
        auto restoredWhole = [&](Problems& out) {
            if (h_.sim.parameter(0, 399) != 77777 || h_.sim.parameter(0, 12) != -5 ||
                h_.sim.setpoint(0, 48) != setpoints[47])
                out.push_back("controller does not hold the file's values");
            if (Boxes(h_.dialogs) != 1)
                out.push_back("not just the warning box");
        };

        TFormSchrijfParSoll window(&h_.port);
        Problems problems = TransferCell(
            fault, aim, "WRITE", [&](bool completing) { return restore(window, completing); },
            [&](Problems& out) {
                if (Boxes(h_.dialogs) != 1 + LineLostBoxes(fault, out))
                    out.push_back(std::to_string(Boxes(h_.dialogs)) + " boxes (only the warning is asked)");
            },
            restoredWhole);
        if (ReadAll(path) != file || FilesIn(dir_) != QStringList{QStringLiteral("restore.bak")})
            problems.push_back("backup file changed or a file left beside it");
        QFile::remove(path);
        return problems;
    }

    // The loader: its one "bp" struck. Twice: started again while its "bp" is on its way (a
    // second activation), which must add no second "bp".
    Problems Loader(LineFault fault) { return LoaderRun(fault, false); }
    Problems LoaderStartedTwice(LineFault fault) { return LoaderRun(fault, true); }

    Problems LoaderRun(LineFault fault, bool twice)
    {
        const Aim aim{"bp", 0, "bp", 0, 100ms};
        Problems problems;
        TFormParLoader window(&h_.port);
        const TComputeParameters& computation = window.Computation();
        auto load = [&]() -> bool {
            h_.dialogs.asked.clear();
            ParametersSentNotLoaded = true;
            const std::size_t logged = h_.sim.requestCount();
            window.show();
            if (twice)
                window.FormActivate();
            QElapsedTimer clock;
            clock.start();
            while (computation.View().Outcome == TTransferOutcome::Running && clock.elapsed() < kBoundMs)
                QTest::qWait(5);
            const bool ended = computation.View().Outcome != TTransferOutcome::Running;
            // The outcome shown, nothing of it is queued; and the controller heard one "bp".
            if (h_.port.QueuedRequestsOf(&computation.KT750ParLoader) != 0)
                problems.push_back("request left queued");
            if (twice) {
                QTest::qWait(kQuietMs);
                std::vector<std::string> heard = RequestTexts(h_.sim);
                heard.erase(heard.begin(), heard.begin() + static_cast<std::ptrdiff_t>(logged));
                // A wrong reply is asked for once more: a second "bp", never a third.
                const bool askedAgain = fault == LineFault::WrongEcho || fault == LineFault::Refused;
                ExpectHeardOnceInOrder(heard, {"bp"}, !askedAgain, problems);
            }
            return ended;
        };
        auto closes = [&](Problems& out) {
            if (!window.CmdOK->isEnabled())
                out.push_back("OK not enabled");
            window.CmdOK->click();
            if (window.isVisible())
                out.push_back("OK did not close the window");
        };
        auto computed = [&](Problems& out) {
            if (window.Panel1->text() != QStringLiteral("LOADER-4") || IsRed(window.Panel1))
                out.push_back("panel '" + window.Panel1->text().toStdString() + "' after a computation");
            if (ParametersSentNotLoaded)
                out.push_back("sent-not-loaded mark kept after the computation");
        };

        ArmAt(inject_, fault, aim);
        if (!load())
            problems.push_back("no end within the bound");
        if (LineFaultFails(fault)) {
            const QString panel = window.Panel1->text();
            // A reply with the right echo is the controller's report, and the controller has computed.
            const bool report = fault == LineFault::Garbage;
            const bool noReply = fault == LineFault::Silent || fault == LineFault::JustOutside;
            const QString expected = report    ? QStringLiteral("LOADER-5 ")
                                     : noReply ? QStringLiteral("LOADER-0")
                                               : QStringLiteral("LOADER-2");
            // 100 ms for "bp": on a loaded machine the time-out may come before the hang-up.
            const bool lossAsTimeout = fault == LineFault::Unplugged && panel == QStringLiteral("LOADER-0");
            if (!IsRed(window.Panel1) || !(panel.startsWith(expected) || lossAsTimeout))
                problems.push_back("panel '" + panel.toStdString() + "' instead of '" + expected.toStdString() + "'");
            if (ParametersSentNotLoaded == report)
                problems.push_back(report ? "sent-not-loaded mark kept after a report"
                                          : "sent-not-loaded mark cleared without a computation");
            QTest::qWait(kQuietMs);
            if (window.Panel1->text() != panel || Boxes(h_.dialogs) != 0)
                problems.push_back("a further report");
        } else {
            computed(problems);
        }
        closes(problems);
        HealAndReopen(h_, inject_, fault, problems);
        if (LineFaultFails(fault)) {
            if (!load())
                problems.push_back("re-run: no end within the bound");
            computed(problems);
            closes(problems);
        }
        return problems;
    }

private:
    // A failed run's boxes beyond its own: a lost line is said in one box naming the line (a
    // write's 100 ms time-out that came before the hang-up was seen says nothing more).
    int LineLostBoxes(LineFault fault, Problems& problems)
    {
        if (fault != LineFault::Unplugged || (h_.port.Active() && h_.dialogs.count(FakeDialogs::Kind::Error) == 0))
            return 0;
        ExpectOneLineLostBox(h_.dialogs, 0, h_.sim.devicePath(), problems);
        return 1;
    }

    TransferHarness h_;
    LineFaultInjector inject_;
    QTemporaryDir dir_;
};

using Row = std::pair<const char*, Problems (TransferFaultMatrix::*)(LineFault)>;

void RunRows(const char* area, const std::vector<Row>& rows, ReplyEnd end)
{
    TransferFaultMatrix matrix(end);
    FaultMatrixReport report(std::string(area) + ", " + ReplyEndName(end));
    for (const auto& [operation, cell] : rows)
        for (LineFault fault : AllLineFaults)
            report.RunCell(operation, fault, [&] { return (matrix.*cell)(fault); });
    report.Print(std::cout);
    QVERIFY2(report.AllPassed(), "a cell of the fault matrix failed (see the table above)");
}

const std::vector<Row> LoaderTwice{{"Loader started twice (bp)", &TransferFaultMatrix::LoaderStartedTwice}};

// The 448-value windows at the shipped end of reply: every cell at once, each in a child process.
const std::vector<Row> WholeValueSets{{"Backup KM40", &TransferFaultMatrix::Backup},
                                      {"Restore KM40", &TransferFaultMatrix::Restore},
                                      {"Parameters + Sollwerten ontvangen", &TransferFaultMatrix::ReceiveAll}};

void RunRowsSideBySide(const char* area, const std::vector<Row>& rows, ReplyEnd end, const char* slot)
{
    std::vector<std::pair<std::string, LineFault>> cells;
    std::vector<const Row*> cellRows;
    for (const Row& row : rows)
        for (LineFault fault : AllLineFaults) {
            cells.emplace_back(row.first, fault);
            cellRows.push_back(&row);
        }
    if (RunsOneCell()) {
        const std::size_t i = CellIndex();
        QVERIFY(i < cells.size());
        TransferFaultMatrix matrix(end);
        CellRunner runner;
        PrintCellResult(runner.Cell(cells[i].first + " / " + LineFaultName(cells[i].second),
                                    [&] { return (matrix.*(cellRows[i]->second))(cells[i].second); }));
        return;
    }
    FaultMatrixReport report(std::string(area) + ", " + ReplyEndName(end) + ", cells side by side");
    RunCellsInChildProcesses(report, cells, slot);
    report.Print(std::cout);
    QVERIFY2(report.AllPassed(), "a cell of the fault matrix failed (see the table above)");
}

} // namespace

class TransferFaultMatrixTest : public QObject {
    Q_OBJECT

private slots:
    // 448 values take some 24 s at the shipped end of reply: there the cells run side by side.
    void backupAndRestore()
    {
        RunRows("receive-all, backup and restore windows", WholeValueSets, ReplyEnd::Fast);
    }
    void wholeValueSetsShipped()
    {
        RunRowsSideBySide("receive-all, backup and restore windows", WholeValueSets, ReplyEnd::Shipped,
                          "wholeValueSetsShipped");
    }
    void loaderShipped() { RunRows("loader window", {{"Loader (bp)", &TransferFaultMatrix::Loader}}, ReplyEnd::Shipped); }
    void loaderFastEnd() { RunRows("loader window", {{"Loader (bp)", &TransferFaultMatrix::Loader}}, ReplyEnd::Fast); }
    // Two at once: the loader started twice.
    void twoAtOnceShipped() { RunRows("loader window, two at once", LoaderTwice, ReplyEnd::Shipped); }
    void twoAtOnceFastEnd() { RunRows("loader window, two at once", LoaderTwice, ReplyEnd::Fast); }
};

KMT40_GUI_TEST_MAIN(TransferFaultMatrixTest)
#include "TransferFaultMatrixTest.moc"
