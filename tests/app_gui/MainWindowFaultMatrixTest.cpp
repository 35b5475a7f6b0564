// Every operation of the main window's own panels, and the live graph, against every line fault,
// through the real controls and the real serial stack on the simulator. Each cell: the operation
// ends (or shows its failure) within a bound, the window reports it its own way and opens no box,
// its controls work afterwards, none of its requests is left in the port's queue, and once the
// fault is healed (and the port reopened as a user would after a pulled line) it succeeds again.
// None of these operations writes a file, so the file column of the matrix does not apply here.
#include "FaultCellChecks.h"
#include "GuiTestMain.h"
#include "LineFaultMatrix.h"
#include "MainWindowHarness.h"
#include "ModalWindows.h"

#include "device/PanelColors.h"
#include "views/Grafiek.h"
#include "views/ViewWindows.h"

#include <ControllerUnit.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>

#include <functional>
#include <iostream>
#include <limits>
#include <map>

using namespace gui_test;
using namespace std::chrono_literals;

namespace {

constexpr int kUnit = 12;
// A cell's end may follow a 1.5 s terminal time-out; a hang shows up long before this bound.
constexpr int kEndWaitMs = 15000;
const char* const kNoFileColumn = "\nFiles: n/a in every cell of this table (none of these operations writes a file).\n";

// What Heal needs: the simulator and the COM1 mapping to its (possibly new) device.
struct HarnessLine {
    km4x::Simulator& s;
    km4x::Simulator& sim() { return s; }
    void remap() { SetPortDevicePath(TPort::COM1, s.devicePath()); }
};

bool WaitFor(const std::function<bool()>& condition, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QTest::qWait(10);
    }
    return true;
}

bool IsFailureText(const QString& text)
{
    return text == QStringLiteral("?") || text == QStringLiteral("????");
}

// One row: how a user starts and ends the operation, how the window shows a failure and a
// success, and which of its components may hold queue entries.
struct Operation {
    std::string name;
    std::string letters; // requests the fault strikes (empty: any)
    int skip = 0;        // requests let through first
    std::chrono::milliseconds timeout{100};
    std::function<void()> start;
    std::function<bool(LineFault)> failureShown;
    std::function<bool()> succeeded;
    std::function<void()> end; // polls: switched off again
    std::function<std::vector<const TZBComponent*>()> components;
    std::function<std::vector<std::string>()> controlProblems; // once the operation has ended
    // A window of its own: how it shows a lost line (Line: the device the report names); empty
    // for the main window's own panels, which say it in their communication panel.
    std::function<bool(const QString& Line)> lineLostShown;
    // Two at once: the requests the operations ask for, in the order asked; the simulator must
    // see each exactly once and in that order (none left out, none sent twice).
    std::vector<std::string> asked;
    // Two cyclic polls at once: how many components poll with each request text. Each is heard
    // once per round of the cycle: none queued twice, none starved.
    std::map<std::string, int> pollers;
};

class MatrixRun {
public:
    explicit MatrixRun(ReplyEnd end) : inject_(h.Sim())
    {
        h.Sim().withUnit(kUnit, [](km4x::ControllerUnit& unit) {
            unit.frozenLive = km4x::LiveValues{12345, -5, 12345, 40000, 777};
        });
        h.CreateForm();
        InstallViewWindows(h.Form());
        // The terminal keeps its silence rule at either setting.
        h.Form().ZBComm1.SetFastReplyEnd(end == ReplyEnd::Fast);
        ParameterValues[203] = 2;
        ParameterValues[246] = 0;
        ParameterValues[388] = 1;
    }

    MainWindowHarness h;
    TFormMain& form() { return h.Form(); }

    // The port open (and, when this opens it, the unit identified), as a user leaves it.
    bool EnsureOpen()
    {
        if (form().ZBComm1.Active())
            return true;
        h.ClickOpenClose();
        return WaitFor([this] { return Identified(); }, kEndWaitMs);
    }

    bool Identified()
    {
        return form().ZBComm1.Active() && Panel(form(), 2) == QStringLiteral("KM40 V2.31") &&
               Panel(form(), 3) == QStringLiteral("SW 2.31 2021-03-15") && Panel(form(), 4) == QStringLiteral("SN 4711") &&
               form().ZBComm1.QueuedRequestsOf(&form().KT750TypeInfo) == 0;
    }

    bool ComInfoShows(LineFault fault)
    {
        const QString text = form().PanelComInfo->text();
        if (fault == LineFault::Unplugged)
            return text.startsWith(QStringLiteral("LINE-TEXT "));
        return text == QStringLiteral("TIMEOUT-TEXT");
    }

    static bool NoReplyFault(LineFault fault)
    {
        return fault == LineFault::Silent || fault == LineFault::Unplugged || fault == LineFault::JustOutside;
    }

    void Run(FaultMatrixReport& report, const Operation& op, const std::function<void(const std::function<void()>&)>& within = {})
    {
        for (LineFault fault : AllLineFaults)
            report.RunCell(op.name, fault, [&] { return cell(op, fault, within); });
    }

private:
    std::vector<std::string> cell(const Operation& op, LineFault fault, const std::function<void(const std::function<void()>&)>& within)
    {
        {
            std::vector<std::string> problems;
            const auto inWindow = [&](const std::function<void()>& act) {
                if (within)
                    within(act);
                else
                    act();
            };
            if (!EnsureOpen())
                problems.push_back("not identified before the cell");
            h.dialogs.asked.clear();
            // What an earlier cell left shown is no outcome of this one.
            form().PanelComInfo->clear();
            std::size_t logged = h.Sim().requestCount();
            const std::string device = h.Sim().devicePath();
            inject_.Arm(fault, kUnit, op.timeout, op.letters, op.skip);
            // Whichever window's request finds out, a lost line is said once and closes the port.
            const bool lineLost = fault == LineFault::Unplugged;
            const auto lostLineShown = [&] {
                return op.lineLostShown ? op.lineLostShown(QString::fromStdString(device)) : ComInfoShows(fault);
            };
            inWindow([&] {
                op.start();
                if (lineLost) {
                    if (!WaitFor([&] { return !form().ZBComm1.Active() && lostLineShown(); }, kEndWaitMs))
                        problems.push_back("lost line not said with the port closed");
                } else if (LineFaultFails(fault)) {
                    if (!WaitFor([&] { return op.failureShown(fault); }, kEndWaitMs))
                        problems.push_back("failure not shown in time");
                } else {
                    if (!WaitFor([&] { return inject_.Struck() && op.succeeded(); }, kEndWaitMs))
                        problems.push_back("no correct result");
                    // A running poll goes on right under the delay: a few more exchanges, still right.
                    const std::size_t served = h.Sim().requestCount();
                    if (op.end && (!WaitFor([&] { return h.Sim().requestCount() >= served + 4; }, kEndWaitMs) ||
                                   !op.succeeded()))
                        problems.push_back("wrong result under the delay");
                    if (!form().PanelComInfo->text().isEmpty())
                        problems.push_back("error text on success");
                }
                if (!inject_.Struck())
                    problems.push_back("fault never struck");
                if (lineLost)
                    checkNothingQueued(op, problems);
                else
                    endAndCheck(op, problems);
                if (!lineLost && fault != LineFault::JustOutside)
                    checkAsked(op, logged, !LineFaultFails(fault), problems);
            });
            // Whatever the window shows, it shows without a box (the wrong-model warning aside,
            // which no cell here provokes) but the one message of a lost line, and none comes later.
            QTest::qWait(150);
            if (lineLost)
                ExpectOneLineLostBox(h.dialogs, 0, device, problems);
            if (h.dialogs.asked.size() != (lineLost ? 1u : 0u))
                problems.push_back(std::to_string(h.dialogs.asked.size()) + " box(es)");
            h.dialogs.asked.clear();

            if (fault == LineFault::JustOutside)
                awaitLateReply(op.timeout);
            HarnessLine line{h.Sim()};
            if (!inject_.Heal(line))
                problems.push_back("line could not be plugged in again");
            if (fault == LineFault::Unplugged && form().ZBComm1.Active())
                h.ClickOpenClose(); // the user closes the dead port and opens it again
            if (!EnsureOpen())
                problems.push_back("port not reopened after healing");
            inWindow([&] {
                logged = h.Sim().requestCount();
                op.start();
                if (!WaitFor(op.succeeded, kEndWaitMs))
                    problems.push_back("no success after healing");
                endAndCheck(op, problems);
                checkAsked(op, logged, true, problems);
            });
            if (!h.dialogs.asked.empty())
                problems.push_back("box after healing");
            h.dialogs.asked.clear();
            return problems;
        }
    }

    // The reply that came too late is still on its way, and would meet the user's next request
    // (the terminal shows it as that request's reply: it cannot tell the two apart). Let it land.
    void awaitLateReply(std::chrono::milliseconds timeout)
    {
        const std::vector<km4x::RequestRecord> records = h.Sim().requestLog();
        if (records.empty())
            return;
        const auto due = records.back().time + JustOutsideDelay(timeout) + 20ms;
        WaitFor([due] { return std::chrono::steady_clock::now() >= due; }, kEndWaitMs);
    }

    // Once the operation has shown its end (a poll: once switched off), the port holds nothing of
    // it at that moment.
    void endAndCheck(const Operation& op, std::vector<std::string>& problems)
    {
        if (op.end)
            op.end();
        checkNothingQueued(op, problems);
        for (const std::string& problem : op.controlProblems())
            problems.push_back(problem);
    }

    void checkNothingQueued(const Operation& op, std::vector<std::string>& problems)
    {
        std::size_t queued = 0;
        for (const TZBComponent* component : op.components())
            queued += form().ZBComm1.QueuedRequestsOf(component);
        if (queued != 0)
            problems.push_back(std::to_string(queued) + " request(s) left in the queue at the end");
    }

    // succeeded: the polls ran through (a failed poll may end while the other goes on).
    void checkAsked(const Operation& op, std::size_t logged, bool succeeded, std::vector<std::string>& problems)
    {
        std::vector<std::string> seen;
        const std::vector<km4x::RequestRecord> records = h.Sim().requestLog();
        for (std::size_t i = logged; i < records.size(); ++i)
            seen.push_back(records[i].text);
        if (!op.asked.empty())
            ExpectHeardOnceInOrder(seen, op.asked, true, problems);
        if (!op.pollers.empty() && succeeded)
            checkRounds(op.pollers, seen, problems);
    }

    // Every text heard about as often as it has pollers times the rounds run; a component queued
    // twice is heard twice per round. The rounds begun and ended give one round of slack each.
    static void checkRounds(const std::map<std::string, int>& pollers, const std::vector<std::string>& seen,
                            std::vector<std::string>& problems)
    {
        std::map<std::string, int> heard;
        for (const std::string& text : seen)
            ++heard[text];
        int rounds = std::numeric_limits<int>::max();
        for (const auto& [text, count] : pollers)
            rounds = std::min(rounds, heard[text] / count);
        for (const auto& [text, times] : heard) {
            const auto poller = pollers.find(text);
            if (poller == pollers.end())
                problems.push_back("\"" + text + "\" heard, which no poll asks");
            else if (times > poller->second * (rounds + 2))
                problems.push_back("\"" + text + "\" heard " + std::to_string(times) + " times in " +
                                   std::to_string(rounds) + " rounds of " + std::to_string(poller->second) +
                                   " poll(s): queued twice");
        }
    }

    LineFaultInjector inject_;
};

std::vector<std::string> Unless(bool ok, const char* problem)
{
    return ok ? std::vector<std::string>{} : std::vector<std::string>{problem};
}

// The live values switched on with their button: each polled panel shows the unit's value.
Operation LiveValues(MatrixRun& run)
{
    TFormMain& form = run.form();
    Operation actual;
    actual.name = "live values";
    actual.skip = 4;
    actual.start = [&form] { QTest::mouseClick(form.CmdActual, Qt::LeftButton); };
    actual.failureShown = [&form](LineFault) {
        QLabel* const polled[] = {form.PanelActPos, form.PanelSnelheid, form.PanelSpanning};
        return std::all_of(std::begin(polled), std::end(polled), [](QLabel* p) { return IsFailureText(p->text()); });
    };
    actual.succeeded = [&form] {
        return form.PanelActPos->text() == QStringLiteral("123,45") && form.PanelSnelheid->text() == QStringLiteral("-0,05") &&
               form.PanelSpanning->text() == QStringLiteral("1,2345 V");
    };
    actual.end = [&form] { QTest::mouseClick(form.CmdActual, Qt::LeftButton); };
    actual.components = [&form] {
        return std::vector<const TZBComponent*>{&form.KT750ActPos, &form.KT750ActPosLin, &form.KT750Snelheid,
                                                &form.KT750Spanning, &form.KT750Stroom};
    };
    actual.controlProblems = [&form] {
        return Unless(form.CmdActual->isEnabled() && form.CmdActual->text() == QStringLiteral("ACTUAL-ON") &&
                          !ActualPolling && form.PanelActPos->text().isEmpty(),
                      "poll not switched off cleanly");
    };
    return actual;
}

// The live graph's log of the position, started in its window.
Operation GraphLog()
{
    ProgramSettings.BronItem = 0; // position
    Operation graph;
    graph.name = "graph logging";
    graph.letters = "r0";
    graph.skip = 5;
    graph.timeout = 300ms;
    graph.start = [] { FormGrafiek->CmdStartLog->click(); };
    graph.failureShown = [](LineFault) {
        TFormGrafiek& w = *FormGrafiek;
        return !w.Logging() && w.CmdStartLog->isEnabled() && !w.PanelCommError->text().isEmpty() &&
               w.PanelCommError->palette().color(QPalette::WindowText) == QColor(Qt::red);
    };
    graph.succeeded = [] {
        TFormGrafiek& w = *FormGrafiek;
        // A few samples past the struck request: each one under the delay is a chance for a
        // busy machine to carry it over the time-out, so no more than needed.
        if (w.Log().Last() < 6)
            return false;
        for (int i = 0; i <= w.Log().Last(); ++i)
            if (w.Log().Value(i) != 12345)
                return false;
        return true;
    };
    graph.end = [] {
        if (FormGrafiek->CmdStopLog->isEnabled())
            FormGrafiek->CmdStopLog->click();
    };
    graph.components = [] { return std::vector<const TZBComponent*>{&FormGrafiek->KT750LeesLogData}; };
    // The log ends with the line named in its red panel, and Start stays off until the port
    // is open again.
    graph.lineLostShown = [](const QString& line) {
        TFormGrafiek& w = *FormGrafiek;
        return !w.Logging() && !w.CmdStartLog->isEnabled() && !w.CmdStopLog->isEnabled() &&
               w.PanelCommError->text().contains(QStringLiteral(" (") + line + QStringLiteral("): ")) &&
               w.PanelCommError->palette().color(QPalette::WindowText) == QColor(Qt::red);
    };
    graph.controlProblems = [] {
        TFormGrafiek& w = *FormGrafiek;
        return Unless(w.CmdStartLog->isEnabled() && !w.CmdStopLog->isEnabled() && w.ComboBoxBron->isEnabled(),
                      "Start, Stop or the source list not as when idle");
    };
    return graph;
}

// Runs Act in the graph window opened from the menu, as the user opens it; the window is closed
// afterwards (as the user does to reopen a pulled port).
void InGraphWindow(TFormMain& form, const std::function<void()>& act)
{
    auto step = modal_windows::When(
        QStringLiteral("FormGrafiek"), [](QWidget*) { return true; },
        [&](QWidget* window) {
            act();
            static_cast<TFormGrafiek*>(window)->reject();
        },
        60000);
    form.Grafiek1->trigger();
    // The graph switched the error polls back on; this test's ticks are its own.
    form.Timer1->stop();
    if (!step->acted)
        QFAIL("the graph window did not open");
}

// Two operations started together and ended together; both must show their outcome.
Operation Together(const std::string& name, const Operation& a, const Operation& b)
{
    Operation both = a;
    both.name = name;
    both.start = [a, b] {
        a.start();
        b.start();
    };
    both.failureShown = [a, b](LineFault fault) { return a.failureShown(fault) && b.failureShown(fault); };
    both.succeeded = [a, b] { return a.succeeded() && b.succeeded(); };
    both.end = [a, b] {
        a.end();
        b.end();
    };
    both.components = [a, b] {
        std::vector<const TZBComponent*> components = a.components();
        for (const TZBComponent* component : b.components())
            components.push_back(component);
        return components;
    };
    both.controlProblems = [a, b] {
        std::vector<std::string> problems = a.controlProblems();
        for (const std::string& problem : b.controlProblems())
            problems.push_back(problem);
        return problems;
    };
    return both;
}

} // namespace

class MainWindowFaultMatrixTest : public QObject {
    Q_OBJECT

private slots:
    void panelsShipped() { panelsAndIdentification(ReplyEnd::Shipped); }
    void panelsFastEnd() { panelsAndIdentification(ReplyEnd::Fast); }
    void terminalAndGraphShipped() { terminalAndGraph(ReplyEnd::Shipped); }
    void terminalAndGraphFastEnd() { terminalAndGraph(ReplyEnd::Fast); }
    void twoAtOnceShipped() { twoAtOnce(ReplyEnd::Shipped); }
    void twoAtOnceFastEnd() { twoAtOnce(ReplyEnd::Fast); }
    void liveAndGraphShipped() { liveAndGraph(ReplyEnd::Shipped); }
    void liveAndGraphFastEnd() { liveAndGraph(ReplyEnd::Fast); }

private:
    // Open and identify, the live values, the thumbwheels, the inputs and outputs, error polling
    // and its reset.
    static void panelsAndIdentification(ReplyEnd end)
    {
        MatrixRun run(end);
        TFormMain& form = run.form();
        FaultMatrixReport report(std::string("main window, ") + ReplyEndName(end));

        // The identification at opening, struck at each of its four requests in turn. The chain
        // has no second chance: a failed select proves no unit and everything stays off; a failed
        // text is marked "?" in its panel.
        const char* const steps[] = {"sc", "rt", "rh", "rx"};
        for (int step = 0; step < 4; ++step) {
            Operation identify;
            identify.name = std::string("open and identify: ") + steps[step] + " struck";
            identify.skip = step;
            identify.start = [&] {
                if (form.ZBComm1.Active())
                    run.h.ClickOpenClose();
                run.h.ClickOpenClose();
            };
            identify.failureShown = [&, step](LineFault fault) {
                const bool chainEnded = form.ZBComm1.QueuedRequestsOf(&form.KT750TypeInfo) == 0 &&
                                        form.ZBComm1.QueuedRequestsOf(&form.KT750UnitSelect) == 0;
                const bool marked = step == 0 ? !form.PanelComInfo->text().isEmpty() && !form.CmdActual->isEnabled()
                                              : Panel(form, 1 + step) == QStringLiteral("?");
                return chainEnded && marked && (!MatrixRun::NoReplyFault(fault) || run.ComInfoShows(fault));
            };
            identify.succeeded = [&] { return run.Identified() && form.PanelComInfo->text().isEmpty(); };
            identify.components = [&] {
                return std::vector<const TZBComponent*>{&form.KT750UnitSelect, &form.KT750TypeInfo};
            };
            identify.controlProblems = [&, step] {
                // Closing is always offered; the polls only once the unit answered its select.
                const bool proven = step > 0 || run.Identified();
                return Unless(form.CmdSelectUnit->isEnabled() && form.CmdSelectUnit->text() == QStringLiteral("CLOSE-TEXT") &&
                                  form.CmdTerminalZenden->isEnabled() && form.CmdActual->isEnabled() == proven &&
                                  form.CmdResetError->isEnabled() == proven,
                              "buttons not as after opening");
            };
            run.Run(report, identify);
        }

        run.Run(report, LiveValues(run));

        Operation thumbwheels;
        thumbwheels.name = "thumbwheels";
        thumbwheels.letters = "rd";
        thumbwheels.skip = 2; // "rd 1" and "rd 2" pass
        thumbwheels.start = [&] { QTest::mouseClick(form.CmdDuimwiel, Qt::LeftButton); };
        thumbwheels.failureShown = [&](LineFault) { return IsFailureText(form.Panel_DW[2]->text()); };
        thumbwheels.succeeded = [&] {
            return form.Panel_DW[0]->text() == QStringLiteral("10,00") && form.Panel_DW[1]->text() == QStringLiteral("20,00") &&
                   form.Panel_DW[2]->text() == QStringLiteral("30,00") && form.Panel_DW[3]->text() == QStringLiteral("40,00");
        };
        thumbwheels.end = [&] { QTest::mouseClick(form.CmdDuimwiel, Qt::LeftButton); };
        thumbwheels.components = [&] { return std::vector<const TZBComponent*>{&form.KT750Duimwiel}; };
        thumbwheels.controlProblems = [&] {
            return Unless(form.CmdDuimwiel->isEnabled() && form.CmdDuimwiel->text() == QStringLiteral("DW-ON") &&
                              !ThumbwheelPolling && form.Panel_DW[2]->text().isEmpty(),
                          "chain not switched off cleanly");
        };
        run.Run(report, thumbwheels);

        const QColor neutral = device::NeutralColor(&form);
        Operation io;
        io.name = "inputs/outputs";
        io.skip = 4; // "ri", "ru", "ra", "rb" pass once
        io.start = [&] { QTest::mouseClick(form.CmdInUit, Qt::LeftButton); };
        io.failureShown = [&](LineFault fault) {
            // An input or output state that is no longer known is shown as unknown, not as off.
            return IsFailureText(form.PanelData_IO_in->text()) && IsFailureText(form.PanelData_IO_uit->text()) &&
                   device::Background(form.TB_K0) == neutral && device::Background(form.TbUitgang[0]) == neutral &&
                   (!MatrixRun::NoReplyFault(fault) || run.ComInfoShows(fault));
        };
        io.succeeded = [&] {
            return form.PanelData_IO_in->text() == QStringLiteral("4660") && form.PanelData_IO_uit->text() == QStringLiteral("22136") &&
                   device::Background(form.TB_K0) == device::LampOnColor &&
                   device::Background(form.Tb_in[0]) == device::LampOffColor &&
                   device::Background(form.TbUitgang[0]) == device::LampOnColor &&
                   device::Background(form.TbUitgang[1]) == device::LampOffColor;
        };
        io.end = [&] { QTest::mouseClick(form.CmdInUit, Qt::LeftButton); };
        io.components = [&] {
            return std::vector<const TZBComponent*>{&form.KT750_in, &form.KT750_uit, &form.KT750_data_in, &form.KT750_data_uit};
        };
        io.controlProblems = [&] {
            return Unless(form.CmdInUit->isEnabled() && form.CmdInUit->text() == QStringLiteral("IO-ON") && !IoPolling &&
                              device::Background(form.TB_K0) == neutral,
                          "poll not switched off cleanly");
        };
        run.Run(report, io);

        // Each tick asks once; a fresh error number per run tells this reply from the last one.
        int errorNumber = 20;
        Operation errors;
        errors.name = "error polling";
        errors.letters = "rf";
        errors.start = [&] {
            run.h.Sim().setErrorNumber(kUnit, ++errorNumber);
            form.Timer1Timer();
        };
        errors.failureShown = [&](LineFault fault) {
            if (MatrixRun::NoReplyFault(fault))
                return run.ComInfoShows(fault) && form.PanelErrorNo->text().isEmpty();
            return form.PanelErrorNo->text() == QStringLiteral("?");
        };
        errors.succeeded = [&] {
            return form.PanelErrorNo->text() == QStringLiteral("KM40... Error: %1").arg(errorNumber) &&
                   form.PanelComInfo->text().isEmpty();
        };
        errors.components = [&] { return std::vector<const TZBComponent*>{&form.KT750ReadError}; };
        errors.controlProblems = [&] { return Unless(form.CmdResetError->isEnabled(), "reset button disabled"); };
        run.Run(report, errors);

        // The reset: the controller's error is gone, and a reset that failed says so.
        Operation reset;
        reset.name = "error reset (wf)";
        reset.letters = "wf";
        reset.start = [&] {
            run.h.Sim().setErrorNumber(kUnit, 7);
            form.PanelComInfo->clear();
            QTest::mouseClick(form.CmdResetError, Qt::LeftButton);
        };
        reset.failureShown = [&](LineFault fault) {
            return MatrixRun::NoReplyFault(fault) ? run.ComInfoShows(fault) : !form.PanelComInfo->text().isEmpty();
        };
        reset.succeeded = [&] {
            return run.h.Sim().errorNumber(kUnit) != 7 && !form.KT750ResetError.RequestPending() &&
                   form.PanelComInfo->text().isEmpty();
        };
        reset.components = [&] { return std::vector<const TZBComponent*>{&form.KT750ResetError}; };
        reset.controlProblems = [&] { return Unless(form.CmdResetError->isEnabled(), "reset button disabled"); };
        run.Run(report, reset);

        report.Print(std::cout);
        std::cout << kNoFileColumn;
        QVERIFY(report.AllPassed());
    }

    // The terminal line and the live graph: longer time-outs of their own (1500 ms and 300 ms).
    static void terminalAndGraph(ReplyEnd end)
    {
        MatrixRun run(end);
        TFormMain& form = run.form();
        FaultMatrixReport report(std::string("main window: terminal and live graph, ") + ReplyEndName(end));

        const QString reply = QStringLiteral("rh SW 2.31 2021-03-15");
        Operation terminal;
        terminal.name = "terminal send";
        terminal.letters = "rh";
        terminal.timeout = 1500ms;
        terminal.start = [&] {
            form.EditZenden->setText(QStringLiteral("rh"));
            QTest::mouseClick(form.CmdTerminalZenden, Qt::LeftButton);
        };
        terminal.failureShown = [&](LineFault fault) {
            const QString shown = form.MemoReceive->toPlainText();
            if (MatrixRun::NoReplyFault(fault))
                return run.ComInfoShows(fault) && shown.isEmpty();
            // The terminal shows whatever came back, unchanged: that is its purpose.
            return !shown.isEmpty() && shown != reply && form.PanelComInfo->text().isEmpty();
        };
        terminal.succeeded = [&] { return form.MemoReceive->toPlainText() == reply && form.PanelComInfo->text().isEmpty(); };
        terminal.components = [&] { return std::vector<const TZBComponent*>{&form.KT750Protocol1}; };
        terminal.controlProblems = [&] {
            return Unless(form.CmdTerminalZenden->isEnabled() && form.EditZenden->selectedText() == QStringLiteral("rh"),
                          "send button or text not ready for the next send");
        };
        run.Run(report, terminal);

        run.Run(report, GraphLog(), [&](const std::function<void()>& act) { InGraphWindow(form, act); });

        report.Print(std::cout);
        std::cout << kNoFileColumn;
        QVERIFY(report.AllPassed());
    }

    // Operations that share the port at the same moment, as a technician's clicks and the window's
    // own polls meet. Every column strikes every request of the unit.
    static void twoAtOnce(ReplyEnd end)
    {
        MatrixRun run(end);
        TFormMain& form = run.form();
        FaultMatrixReport report(std::string("main window, two at once, ") + ReplyEndName(end));

        // The terminal's command, and error polls that fall due while it is answered (one tick
        // asks, the next finds it still waiting). The poll times out at 100 ms, the terminal at
        // 1500 ms: just outside the poll's is inside the terminal's.
        const QString reply = QStringLiteral("rh SW 2.31 2021-03-15");
        int errorNumber = 40;
        Operation pollAndTerminal;
        pollAndTerminal.name = "error poll + terminal";
        pollAndTerminal.asked = {"rh", "rf"};
        pollAndTerminal.start = [&] {
            run.h.Sim().setErrorNumber(kUnit, ++errorNumber);
            form.EditZenden->setText(QStringLiteral("rh"));
            QTest::mouseClick(form.CmdTerminalZenden, Qt::LeftButton);
            form.Timer1Timer();
            form.Timer1Timer();
        };
        pollAndTerminal.failureShown = [&](LineFault fault) {
            const QString shown = form.MemoReceive->toPlainText();
            if (fault == LineFault::JustOutside)
                return shown == reply && run.ComInfoShows(fault);
            if (MatrixRun::NoReplyFault(fault))
                return shown.isEmpty() && run.ComInfoShows(fault) && form.PanelErrorNo->text().isEmpty() &&
                       form.ZBComm1.QueuedRequestsOf(&form.KT750ReadError) == 0;
            return !shown.isEmpty() && shown != reply && form.PanelErrorNo->text() == QStringLiteral("?");
        };
        pollAndTerminal.succeeded = [&] {
            return form.MemoReceive->toPlainText() == reply &&
                   form.PanelErrorNo->text() == QStringLiteral("KM40... Error: %1").arg(errorNumber) &&
                   form.PanelComInfo->text().isEmpty();
        };
        pollAndTerminal.components = [&] {
            return std::vector<const TZBComponent*>{&form.KT750Protocol1, &form.KT750ReadError};
        };
        pollAndTerminal.controlProblems = [&] {
            return Unless(form.CmdTerminalZenden->isEnabled() && form.CmdResetError->isEnabled(),
                          "send or reset button disabled");
        };
        run.Run(report, pollAndTerminal);

        // The live values and the inputs/outputs panel polled together, each on its own cycle.
        QLabel* const polled[] = {form.PanelActPos, form.PanelSnelheid, form.PanelSpanning};
        const QColor neutral = device::NeutralColor(&form);
        Operation liveAndIo;
        liveAndIo.name = "live values + inputs/outputs";
        liveAndIo.skip = 4;
        liveAndIo.start = [&] {
            QTest::mouseClick(form.CmdActual, Qt::LeftButton);
            QTest::mouseClick(form.CmdInUit, Qt::LeftButton);
        };
        liveAndIo.failureShown = [&](LineFault) {
            return std::all_of(std::begin(polled), std::end(polled), [](QLabel* p) { return IsFailureText(p->text()); }) &&
                   IsFailureText(form.PanelData_IO_in->text()) && IsFailureText(form.PanelData_IO_uit->text()) &&
                   device::Background(form.TbUitgang[0]) == neutral;
        };
        liveAndIo.succeeded = [&] {
            return form.PanelActPos->text() == QStringLiteral("123,45") && form.PanelSnelheid->text() == QStringLiteral("-0,05") &&
                   form.PanelSpanning->text() == QStringLiteral("1,2345 V") &&
                   form.PanelData_IO_in->text() == QStringLiteral("4660") &&
                   form.PanelData_IO_uit->text() == QStringLiteral("22136") &&
                   device::Background(form.TbUitgang[0]) == device::LampOnColor;
        };
        liveAndIo.end = [&] {
            QTest::mouseClick(form.CmdActual, Qt::LeftButton);
            QTest::mouseClick(form.CmdInUit, Qt::LeftButton);
        };
        liveAndIo.components = [&] {
            return std::vector<const TZBComponent*>{&form.KT750ActPos, &form.KT750ActPosLin, &form.KT750Snelheid,
                                                    &form.KT750Spanning, &form.KT750Stroom, &form.KT750_in,
                                                    &form.KT750_uit, &form.KT750_data_in, &form.KT750_data_uit};
        };
        liveAndIo.controlProblems = [&] {
            return Unless(form.CmdActual->isEnabled() && form.CmdInUit->isEnabled() && !ActualPolling && !IoPolling,
                          "polls not switched off cleanly");
        };
        run.Run(report, liveAndIo);

        report.Print(std::cout);
        std::cout << kNoFileColumn;
        QVERIFY(report.AllPassed());
    }

    // The live values and the graph at once, in an entry of their own beside the other two.
    static void liveAndGraph(ReplyEnd end)
    {
        MatrixRun run(end);
        TFormMain& form = run.form();
        FaultMatrixReport report(std::string("main window, two at once with the graph, ") + ReplyEndName(end));

        // The live values and the graph's log of the position: both poll "r0", each on its own
        // cycle. The graph waits 300 ms, the live values 100 ms: just outside theirs is inside
        // the graph's, which logs on.
        Operation live = LiveValues(run);
        live.start = live.end = [&form] { form.CmdActual->click(); }; // under the graph window
        const Operation graph = GraphLog();
        Operation liveAndGraph = Together("live values + graph", live, graph);
        liveAndGraph.failureShown = [live, graph](LineFault fault) {
            if (fault == LineFault::JustOutside)
                return live.failureShown(fault) && FormGrafiek->Logging();
            return live.failureShown(fault) && graph.failureShown(fault);
        };
        // Whichever window's request found out names the line; the log ends with Start off.
        liveAndGraph.lineLostShown = [&run](const QString& line) {
            TFormGrafiek& w = *FormGrafiek;
            return !w.Logging() && !w.CmdStartLog->isEnabled() && !w.CmdStopLog->isEnabled() &&
                   (w.PanelCommError->text().contains(QStringLiteral(" (") + line + QStringLiteral("): ")) ||
                    run.ComInfoShows(LineFault::Unplugged));
        };
        liveAndGraph.pollers = {{"r0", 2}, {"r1", 1}, {"r2", 1}};
        run.Run(report, liveAndGraph, [&](const std::function<void()>& act) { InGraphWindow(form, act); });

        report.Print(std::cout);
        std::cout << kNoFileColumn;
        QVERIFY(report.AllPassed());
    }
};

KMT40_GUI_TEST_MAIN(MainWindowFaultMatrixTest)
#include "MainWindowFaultMatrixTest.moc"
