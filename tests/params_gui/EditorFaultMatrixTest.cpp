// The editors' fault matrix: the single-parameter dialog's "wp" and "bp", and reading and writing
// the parameters and the setpoints from their editors, each struck by every line fault through
// the real windows against the simulator. Each cell checks that the operation ends, shows one
// red message and no box (a pulled line: one box naming the line, and the port closed), leaves
// the buttons usable, the editor's table as it was and nothing of the window queued; then, with
// the fault healed (and the port opened again where the line was pulled), that the same
// operation succeeds. The tables are printed for the note.

#include "EditorHarness.h"
#include "FaultCellChecks.h"
#include "LineFaultMatrix.h"
#include "RequestTexts.h"

#include "app/core/Functies.h"
#include "params/EditParam.h"
#include "params/EditSollwerten.h"
#include "params/LeesParSoll.h"
#include "params/ParamService.h"
#include "params/SchrijfParSoll.h"
#include "params/core/ParameterDisplay.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QTimer>

#include <iostream>

using namespace editor_test;
using std::chrono::milliseconds;

namespace {

// Only a hang reaches it.
constexpr int kBoundMs = 30000;
// The dialog's parameter: a numeric one the controller's check accepts any value of.
constexpr int kParameter = 210;

// COM1 of the main window on the simulator: what the injector needs to plug a pulled line in again.
struct ComOnSimulator {
    km4x::Simulator& s;
    km4x::Simulator& sim() { return s; }
    void remap() { SetPortDevicePath(TPort::COM1, s.devicePath()); }
};

// The problems of one cell.
struct Cell {
    std::vector<std::string> problems;
    void Check(bool Held, const std::string& What)
    {
        if (!Held)
            problems.push_back(What);
    }
};

std::string Text(const QString& Text) { return Text.toStdString(); }

// How long after an operation ended a late reply or a further message could still come.
int QuietMs(LineFault Fault, milliseconds Timeout)
{
    return Fault == LineFault::JustOutside ? static_cast<int>(TimeOutMargin(Timeout).count()) + 150 : 250;
}

class Matrix {
public:
    Matrix(const char* Area, ReplyEnd End) : report(std::string(Area) + ", " + ReplyEndName(End))
    {
        h.main->ZBComm1.SetFastReplyEnd(End == ReplyEnd::Fast);
        opened = OpenPort();
    }
    ~Matrix() { report.Print(std::cout); }

    int Boxes() const { return static_cast<int>(h.dialogs.asked.size()); }

    // Opens the port with the main window's button and lets the identification it starts run out
    // (on a loaded machine that may fail; the port is open all the same).
    bool OpenPort()
    {
        TFormMain& main = *h.main;
        QTest::mouseClick(main.CmdSelectUnit, Qt::LeftButton);
        return QTest::qWaitFor(
            [&] {
                return main.ZBComm1.Active() && main.ZBComm1.QueuedRequestsOf(&main.KT750UnitSelect) == 0 &&
                       main.ZBComm1.QueuedRequestsOf(&main.KT750TypeInfo) == 0;
            },
            kBoundMs);
    }

    // A lost line closed the port: a user opens it again with the same button.
    bool ReopenPort() { return !h.main->ZBComm1.Active() && OpenPort(); }

    // The checks of a lost line beyond the window's own message: said once in a box naming the
    // line (Device, the path before it was plugged in again), the port closed.
    void CheckLineLost(LineFault Fault, std::size_t BoxesBefore, const std::string& Device,
                       std::vector<std::string>& Problems)
    {
        const std::size_t lostBoxes = Fault == LineFault::Unplugged ? 1 : 0;
        if (Fault == LineFault::Unplugged) {
            ExpectOneLineLostBox(h.dialogs, BoxesBefore, Device, Problems);
            if (h.main->ZBComm1.Active())
                Problems.push_back("port left open on a lost line");
        }
        if (h.dialogs.asked.size() != BoxesBefore + lostBoxes)
            Problems.push_back(std::to_string(h.dialogs.asked.size() - BoxesBefore) + " message box(es)");
    }

    // No poll of the main window may be under way when a fault is armed: it would be struck instead.
    bool WaitForQuietPort()
    {
        return QTest::qWaitFor([this] { return h.main->ZBComm1.QueuedRequestsOf(&h.main->KT750ReadError) == 0; },
                        kBoundMs);
    }

    EditorHarness h;
    LineFaultInjector inject{h.sim};
    ComOnSimulator pty{h.sim};
    FaultMatrixReport report;
    bool opened = false;
};

bool Activate(QWidget& Window)
{
    Window.show();
    Window.activateWindow();
    return QTest::qWaitForWindowActive(&Window);
}

// ---- the single-parameter dialog ---------------------------------------------------------------

// OK, Cancel and Default always; Send and Compute only while the port is open.
bool ButtonsReady(const TFormParamService& Dialog, bool PortOpen)
{
    for (const QPushButton* button : {Dialog.CmdOK, Dialog.CmdCancel, Dialog.CmdDefault})
        if (!button->isEnabled())
            return false;
    return Dialog.CmdZenden->isEnabled() == PortOpen && Dialog.CmdBerPar->isEnabled() == PortOpen;
}

// The requests of the controller's log from First on (that begin with Letters).
std::vector<std::string> HeardSince(const km4x::Simulator& Sim, std::size_t First)
{
    std::vector<std::string> texts = RequestTexts(Sim);
    texts.erase(texts.begin(), texts.begin() + static_cast<std::ptrdiff_t>(std::min(First, texts.size())));
    return texts;
}


std::vector<std::string> HeardSince(const km4x::Simulator& Sim, std::size_t First, const std::string& Letters)
{
    std::vector<std::string> texts;
    for (const std::string& text : HeardSince(Sim, First))
        if (text.compare(0, Letters.size(), Letters) == 0)
            texts.push_back(text);
    return texts;
}

// Two at once: the main window's live values polled beside the dialog (it is not modal).
bool LiveValuesShown(TFormMain& Main)
{
    const QString shown = Main.PanelActPos->text();
    return ActualPolling && !shown.isEmpty() && shown != QStringLiteral("?") && shown != QStringLiteral("????");
}

void SwitchLiveValues(TFormMain& Main, bool On, std::vector<std::string>& Problems)
{
    if (ActualPolling != On)
        QTest::mouseClick(Main.CmdActual, Qt::LeftButton);
    if (On && !QTest::qWaitFor([&] { return LiveValuesShown(Main); }, kBoundMs))
        Problems.push_back("live values not shown beside the dialog");
}

// "Zenden" (Compute false) or "Laad par" (true) of the dialog for kParameter, showing Value;
// PollsRun: with the main window's live values polled all the while, and the controller must
// hear the dialog's one request once.
std::vector<std::string> DialogCell(Matrix& m, bool Compute, LineFault Fault, int32_t Value, bool PollsRun = false)
{
    Cell c;
    TFormParamService& d = *FormParamService;
    TParamServiceExchange& x = d.Exchange();
    const milliseconds timeout(Compute ? TParamServiceExchange::ComputeTimeoutTime
                                       : std::max(TParamServiceExchange::WriteTimeoutTime, 100));
    const TPanelText success =
        TPanelText::Of(Compute ? TParamServiceExchange::ComputedText : TParamServiceExchange::WrittenText);
    auto open = [&] {
        ParameterValues[kParameter] = Value;
        SelectedParameter = SelectedParameterOf(kParameter);
        c.Check(Activate(d), "the dialog does not open");
    };
    const std::string letters = Compute ? "bp" : "wp";
    auto run = [&] {
        if (PollsRun)
            SwitchLiveValues(*m.h.main, true, c.problems);
        const std::size_t logged = m.h.sim.requestCount();
        QTest::mouseClick(Compute ? d.CmdBerPar : d.CmdZenden, Qt::LeftButton);
        const bool ended = QTest::qWaitFor([&] { return !x.Busy(); }, kBoundMs);
        if (PollsRun) {
            QTest::qWait(QuietMs(Fault, timeout));
            const std::vector<std::string> heard = HeardSince(m.h.sim, logged, letters);
            if (heard.size() != 1)
                c.problems.push_back("the controller heard " + std::to_string(heard.size()) + " \"" + letters +
                                     "\" request(s) for one click");
        }
        return ended;
    };
    auto succeeded = [&](const std::string& When) {
        c.Check(x.Status() == success && !x.StatusRed(), When + " not done: " + Text(d.StatusText()));
        if (Compute)
            c.Check(!ParametersSentNotLoaded, When + " still not computed");
        else
            c.Check(m.h.sim.parameter(0, kParameter) == Value, When + " the controller lacks the value");
    };

    open();
    m.h.sim.setParameter(0, kParameter, 0);
    ParametersSentNotLoaded = Compute; // a computation that fails must leave the warning standing
    const int boxes = m.Boxes();
    const std::string device = m.h.sim.devicePath();
    c.Check(m.WaitForQuietPort(), "the main window's poll does not end"); // none follows while the dialog is open
    m.inject.SlowOnlyArmedLetters(PollsRun); // the polls keep their pace beside a slow "wp"
    m.inject.Arm(Fault, 0, timeout, letters);
    c.Check(run(), "no end");
    // Once the dialog shows its outcome, the port holds nothing of it.
    c.Check(m.h.main->ZBComm1.QueuedRequestsOf(&x.KT750ZendServiceParameter) == 0 &&
                m.h.main->ZBComm1.QueuedRequestsOf(&x.KT750ServiceBerPar) == 0,
            "request left queued at the end");
    if (LineFaultFails(Fault)) {
        c.Check(x.StatusRed() && !d.StatusText().isEmpty(), "no red message: " + Text(d.StatusText()));
        c.Check(x.Status() == TPanelText::Of(TParamServiceExchange::TimeoutText) ||
                    x.Status() == TPanelText::Of(TParamServiceExchange::CommErrorText),
                "not a time-out or line error: " + Text(d.StatusText()));
        // The controller may have stored the value, or not have computed: the warning must stand.
        c.Check(ParametersSentNotLoaded, "taken for sent and computed");
    } else {
        succeeded("");
    }
    const TPanelText shown = x.Status();
    QTest::qWait(QuietMs(Fault, timeout));
    c.Check(x.Status() == shown, "message changed afterwards: " + Text(d.StatusText()));
    m.CheckLineLost(Fault, static_cast<std::size_t>(boxes), device, c.problems);
    c.Check(ButtonsReady(d, Fault != LineFault::Unplugged), "buttons not as for the port's state");

    if (LineFaultFails(Fault)) {
        const bool pulled = m.inject.Unplugged() || !m.h.sim.lineOpen();
        c.Check(m.inject.Heal(m.pty), "line not plugged in again");
        // The polls' replies slowed before the healing still come late: let them land.
        if (PollsRun && Fault == LineFault::JustOutside)
            QTest::qWait(static_cast<int>(JustOutsideDelay(timeout).count()) + 100);
        if (pulled) {
            QTest::mouseClick(d.CmdCancel, Qt::LeftButton);
            c.Check(!d.isVisible(), "Cancel does not close");
            c.Check(m.ReopenPort(), "port does not open again");
            open();
        }
        m.h.sim.setParameter(0, kParameter, 0);
        ParametersSentNotLoaded = Compute;
        c.Check(run(), "no end after healing");
        succeeded("after healing:");
    }
    if (PollsRun) {
        // The polls went on beside the dialog (healed, they show values again), and stop cleanly.
        c.Check(QTest::qWaitFor([&] { return LiveValuesShown(*m.h.main); }, kBoundMs), "live values not shown");
        SwitchLiveValues(*m.h.main, false, c.problems);
        c.Check(m.h.main->ZBComm1.QueuedRequestsOf(&m.h.main->KT750ActPos) == 0, "live value poll left queued");
    }
    QTest::mouseClick(d.CmdCancel, Qt::LeftButton);
    c.Check(!d.isVisible(), "Cancel does not close");
    return c.problems;
}

// ---- the editors' transfers ----------------------------------------------------------------------

// Where a fault strikes: the (Skip+1)-th request beginning with Letters, whose time-out is Timeout.
struct Strike {
    std::string Letters;
    int Skip = 0;
    int TimeoutMs = 0;
};

struct TransferRow {
    std::string Name;
    bool Setpoints = false; // the setpoint editor, else the parameter editor
    bool Write = false;     // "Par zenden", else "Par ontvangen"
    Strike Failing;         // silent, unplugged, wrong echo, "er 1", garbage
    Strike Late;            // just inside: every later reply is slow, so near the end
    Strike Timing;          // just outside
    // Two at once: the main window's error poll falls due while the window runs. The controller
    // must hear these requests of the run, each once and in order, and no poll among them (a
    // write's followed by the value the editor's table holds).
    std::vector<std::string> Asked;
};

std::vector<std::string> AskedOf(const TransferRow& Row)
{
    std::vector<std::string> asked = Row.Asked;
    if (Row.Write)
        for (std::size_t i = 0; i < asked.size(); ++i)
            asked[i] += " " + std::to_string(Row.Setpoints ? SetpointValues[i + 1] : ParameterValues[i]);
    return asked;
}

// Makes the main window's error poll due every 25 ms while the modal window Name is up.
class ErrorPollDue {
public:
    ErrorPollDue(TFormMain& Main, const QString& Name, bool On)
    {
        if (!On)
            return;
        QObject::connect(&timer_, &QTimer::timeout, [&Main, Name] {
            const QWidget* modal = QApplication::activeModalWidget();
            if (modal && modal->objectName() == Name)
                Main.Timer1Timer();
        });
        timer_.start(25);
    }

private:
    QTimer timer_;
};

QDialog& EditorOf(const TransferRow& Row)
{
    return Row.Setpoints ? static_cast<QDialog&>(*FormEditSollwerten) : static_cast<QDialog&>(*FormEditParam);
}

QAction* CommandOf(const TransferRow& Row)
{
    return EditorOf(Row).findChild<QAction*>(Row.Write ? QStringLiteral("subParZenden")
                                                       : QStringLiteral("subParOntvangen"));
}

// What the editor holds before a run, and what the controller holds: a failed run changes
// neither table of the program; a complete one brings them together.
void PrepareTables(Matrix& m, const TransferRow& Row, int32_t Marker)
{
    ParametersSentNotLoaded = false;
    if (!Row.Write) {
        ParameterValues.fill(-7);
        SetpointValues.fill(-7);
        ParameterSource = TParameterSource::None;
        SetpointSource = TSetpointSource::None;
        m.h.sim.setParameter(0, kParameter, Marker);
        m.h.sim.setSetpoint(0, 5, Marker);
        return;
    }
    // The controller's own parameters pass its check; one of them and the setpoints carry the marker.
    for (int n = 0; n < ParameterCount; ++n)
        ParameterValues[static_cast<std::size_t>(n)] = m.h.sim.parameter(0, n).value_or(0);
    ParameterValues[kParameter] = Marker;
    for (int k = 1; k <= SetpointCount; ++k)
        SetpointValues[static_cast<std::size_t>(k)] = Marker + k;
    ParameterSource = TParameterSource::Device;
    SetpointSource = TSetpointSource::Device;
}

bool ControllerAndTablesAgree(Matrix& m, const TransferRow& Row)
{
    if (Row.Setpoints) {
        for (int k = 1; k <= SetpointCount; ++k)
            if (m.h.sim.setpoint(0, k) != SetpointValues[static_cast<std::size_t>(k)])
                return false;
        return SetpointSource == TSetpointSource::Device;
    }
    for (int n = 0; n < ParameterCount; ++n)
        if (m.h.sim.parameter(0, n) != ParameterValues[static_cast<std::size_t>(n)])
            return false;
    return ParameterSource == TParameterSource::Device;
}

std::vector<std::string> TransferCell(Matrix& m, const TransferRow& Row, LineFault Fault, int32_t Marker)
{
    Cell c;
    QDialog& editor = EditorOf(Row);
    QAction* command = CommandOf(Row);
    TTransferWindow& window = Row.Write ? static_cast<TTransferWindow&>(*FormSchrijfParSoll)
                                        : static_cast<TTransferWindow&>(*FormLeesParSoll);
    const TTransferSequence& run = Row.Write ? static_cast<const TTransferSequence&>(FormSchrijfParSoll->Sequence())
                                             : static_cast<const TTransferSequence&>(FormLeesParSoll->Sequence());
    const QString windowName = window.objectName();
    auto queued = [&] {
        TZBComm& port = m.h.main->ZBComm1;
        if (!Row.Write)
            return port.QueuedRequestsOf(&FormLeesParSoll->Sequence().KT750LeesParSoll);
        return port.QueuedRequestsOf(&FormSchrijfParSoll->Sequence().KT750SchrijfParSoll) +
               port.QueuedRequestsOf(&FormSchrijfParSoll->Sequence().KT750BerekenParameters);
    };

    PrepareTables(m, Row, Marker);
    const TParameterValues parametersBefore = ParameterValues;
    const TSetpointValues setpointsBefore = SetpointValues;
    const TParameterSource parameterSourceBefore = ParameterSource;
    const TSetpointSource setpointSourceBefore = SetpointSource;
    if (!editor.isVisible())
        c.Check(Activate(editor), "the editor does not open");
    c.Check(m.WaitForQuietPort(), "the main window's poll does not end");

    const Strike& strike = Fault == LineFault::JustInside ? Row.Late
                           : Fault == LineFault::JustOutside ? Row.Timing
                                                             : Row.Failing;
    const milliseconds timeout(strike.TimeoutMs);
    const int boxes = m.Boxes();
    const std::string device = m.h.sim.devicePath();
    m.inject.Arm(Fault, 0, timeout, strike.Letters, strike.Skip);

    // First the run ends; then, once a late reply or a further message would have come, the checks
    // and the way out: OK after a complete run, Cancel after a failed one.
    auto ended = std::make_shared<QElapsedTimer>();
    auto shown = std::make_shared<QString>();
    auto first = modal_windows::When(
        windowName, [&](QWidget*) { return run.View().Failed || run.View().Finished; },
        [&, ended, shown](QWidget*) {
            ended->start();
            *shown = window.PanelText();
            // The outcome shown: the port holds nothing of the run at this moment.
            c.Check(queued() == 0, "request left queued when the outcome was shown");
        },
        kBoundMs);
    auto second = modal_windows::When(
        windowName,
        [&, ended, first](QWidget*) { return first->acted && ended->elapsed() >= QuietMs(Fault, timeout); },
        [&, shown](QWidget*) {
            const TTransferView& view = run.View();
            if (LineFaultFails(Fault)) {
                c.Check(view.Failed && view.PanelRed && !window.PanelText().isEmpty(),
                        "no red message: " + Text(window.PanelText()));
                c.Check(!window.CmdOK->isEnabled() && window.CmdAgain->isEnabled() && window.CmdCancel->isEnabled(),
                        "buttons not as after a failure");
            } else {
                c.Check(view.Outcome == TTransferOutcome::Finished && !view.PanelRed,
                        "not finished: " + Text(window.PanelText()));
                c.Check(window.CmdOK->isEnabled(), "OK disabled");
            }
            c.Check(window.PanelText() == *shown, "message changed afterwards: " + Text(window.PanelText()));
            m.CheckLineLost(Fault, static_cast<std::size_t>(boxes), device, c.problems);
            c.Check(queued() == 0, "request left queued");
            QTest::mouseClick(LineFaultFails(Fault) ? window.CmdCancel : window.CmdOK, Qt::LeftButton);
        },
        kBoundMs);
    std::size_t logged = m.h.sim.requestCount();
    {
        const ErrorPollDue due(*m.h.main, windowName, !Row.Asked.empty());
        command->trigger();
    }
    c.Check(first->acted && !first->expired, "no end");
    c.Check(second->acted && !window.isVisible(), "the window does not close");
    if (!Row.Asked.empty())
        ExpectHeardOnceInOrder(HeardSince(m.h.sim, logged), AskedOf(Row), !LineFaultFails(Fault), c.problems);

    if (LineFaultFails(Fault)) {
        // A failed run leaves the editor's tables as they were.
        c.Check(ParameterValues == parametersBefore && SetpointValues == setpointsBefore &&
                    ParameterSource == parameterSourceBefore && SetpointSource == setpointSourceBefore,
                "the editor's table changed");
        const bool pulled = m.inject.Unplugged() || !m.h.sim.lineOpen();
        c.Check(m.inject.Heal(m.pty), "line not plugged in again");
        if (pulled) {
            editor.close();
            c.Check(!editor.isVisible(), "the editor does not close");
            c.Check(m.ReopenPort(), "port does not open again");
            c.Check(Activate(editor), "the editor does not open again");
        }
        PrepareTables(m, Row, Marker + 1);
        c.Check(m.WaitForQuietPort(), "the main window's poll does not end");
        auto again = modal_windows::ClickWhenEnabled(windowName, QStringLiteral("CmdOK"), kBoundMs);
        logged = m.h.sim.requestCount();
        {
            const ErrorPollDue due(*m.h.main, windowName, !Row.Asked.empty());
            command->trigger();
        }
        c.Check(again->acted && !again->expired, "after healing: no complete run");
        if (!Row.Asked.empty())
            ExpectHeardOnceInOrder(HeardSince(m.h.sim, logged), AskedOf(Row), true, c.problems);
        c.Check(run.View().Outcome == TTransferOutcome::Finished, "after healing: " + Text(window.PanelText()));
    }
    c.Check(ControllerAndTablesAgree(m, Row), "the controller and the editor's table differ");
    return c.problems;
}

// Reads wait 1000 ms for a reply, "bp" 2000 ms, writes the library's 100 ms, as shipped. Failing
// columns strike in the middle; just inside slows every later reply, so it strikes near the end.
constexpr int kRead = TReadSequence::TimeoutTime;
constexpr int kWrite = 100;
constexpr int kCompute = TWriteSequence::ComputeTimeoutTime;

// Every row struck by every fault; true when every cell passed (the table is printed in any case).
bool TransferMatrix(const char* Area, const std::vector<TransferRow>& Rows, ReplyEnd End)
{
    Matrix m(Area, End);
    if (!m.opened)
        return false;
    int32_t marker = 1000;
    for (const TransferRow& row : Rows)
        for (LineFault fault : AllLineFaults)
            m.report.RunCell(row.Name, fault, [&] {
                marker += 10;
                return TransferCell(m, row, fault, marker);
            });
    return m.report.AllPassed();
}

struct DialogRow {
    const char* name;
    bool compute;  // "Laad par", else "Zenden"
    bool pollsRun; // two at once: the live values polled all the while
};

void SingleParameterDialog(const char* Area, const std::vector<DialogRow>& Rows, ReplyEnd End)
{
    Matrix m(Area, End);
    QVERIFY(m.opened);
    int32_t value = 4000;
    for (const DialogRow& row : Rows)
        for (LineFault fault : AllLineFaults)
            m.report.RunCell(row.name, fault, [&] { return DialogCell(m, row.compute, fault, ++value, row.pollsRun); });
    QVERIFY(m.report.AllPassed());
}

const std::vector<DialogRow> DialogRows{{"Zenden (wp)", false, false}, {"Laad par (bp)", true, false}};
const std::vector<DialogRow> DialogTwoAtOnce{{"Zenden (wp) while the live values poll", false, true}};

// Two at once: the setpoint editor's receive, and its send through the write window, while the
// error poll is due.
const std::vector<TransferRow> PollDueRows{
    {"Par ontvangen (rs), error poll due", true, false, {"rs", 20, kRead}, {"rs", 46, kRead}, {"rs", 20, kRead},
     Numbered("rs", 1, SetpointCount)},
    {"Par zenden (ws), error poll due", true, true, {"ws", 20, kWrite}, {"ws", 45, kWrite}, {"ws", 20, kWrite},
     Numbered("ws", 1, SetpointCount)},
};

const std::vector<TransferRow> SetpointRows{
    {"Par ontvangen (rs)", true, false, {"rs", 20, kRead}, {"rs", 46, kRead}, {"rs", 20, kRead}, {}},
    {"Par zenden (ws)", true, true, {"ws", 20, kWrite}, {"ws", 45, kWrite}, {"ws", 20, kWrite}, {}},
};

} // namespace

class EditorFaultMatrixTest : public QObject {
    Q_OBJECT

private slots:
    void singleParameterDialogShipped() { SingleParameterDialog("single-parameter dialog", DialogRows, ReplyEnd::Shipped); }
    void singleParameterDialogFastEnd() { SingleParameterDialog("single-parameter dialog", DialogRows, ReplyEnd::Fast); }

    // 448 values take some 24 s at the shipped end of reply: the parameter editor's transfers
    // meet the faults at the fast end, the setpoint editor's at both.
    void parameterEditor()
    {
        QVERIFY(TransferMatrix(
            "parameter editor",
            {
                {"Par ontvangen (rp)", false, false, {"rp", 150, kRead}, {"rp", 398, kRead}, {"rp", 150, kRead}, {}},
                {"Par zenden (wp)", false, true, {"wp", 150, kWrite}, {"wp", 397, kWrite}, {"wp", 150, kWrite}, {}},
                // Only "bp" is slowed: the writes before it all pass.
                {"Par zenden (bp)", false, true, {"bp", 0, kCompute}, {"wp", 400, kCompute}, {"wp", 400, kCompute}, {}},
            },
            ReplyEnd::Fast));
    }

    void setpointEditorShipped() { QVERIFY(TransferMatrix("setpoint editor", SetpointRows, ReplyEnd::Shipped)); }
    void setpointEditorFastEnd() { QVERIFY(TransferMatrix("setpoint editor", SetpointRows, ReplyEnd::Fast)); }
    void twoAtOnceShipped() { QVERIFY(TransferMatrix("editors, two at once", PollDueRows, ReplyEnd::Shipped)); }
    void twoAtOnceFastEnd() { QVERIFY(TransferMatrix("editors, two at once", PollDueRows, ReplyEnd::Fast)); }
    void dialogTwoAtOnceShipped() { SingleParameterDialog("single-parameter dialog, two at once", DialogTwoAtOnce, ReplyEnd::Shipped); }
    void dialogTwoAtOnceFastEnd() { SingleParameterDialog("single-parameter dialog, two at once", DialogTwoAtOnce, ReplyEnd::Fast); }
};

KMT40_GUI_TEST_MAIN(EditorFaultMatrixTest)
#include "EditorFaultMatrixTest.moc"
