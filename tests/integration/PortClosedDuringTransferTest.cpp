// The port closes while the read or write window runs (the open/close button, a vanished device):
// the window must not wait for a reply that cannot come. Cancel then closes it at once, the value
// tables stay as they were, and the main window is back in its offline state and can open again.
#include "support/GuiTestMain.h"
#include "IntegrationHarness.h"

#include "params/LeesParSoll.h"
#include "params/SchrijfParSoll.h"
#include "params/core/BackupFile.h"

#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>

using namespace integration;

namespace {

// What the window and the main window looked like at each step of closing the port under a run.
struct Observed {
    bool portClosed = false;
    bool visibleAfterPortClosed = false;
    bool cancelEnabled = false;
    bool visibleAfterCancel = true;
};

bool ProgressAtLeast(QWidget* window, int value)
{
    return window->findChild<QProgressBar*>(QStringLiteral("ProgressBar1"))->value() >= value;
}

// Closes the port with the main window's button once the run is under way, then presses Cancel.
std::shared_ptr<const modal_windows::StepState> ClosePortThenCancel(const QString& windowName, TFormMain& form,
                                                                    Observed& seen)
{
    return modal_windows::When(
        windowName, [](QWidget* window) { return ProgressAtLeast(window, 20); },
        [&form, &seen](QWidget* window) {
            form.CmdSelectUnit->click();
            seen.portClosed = !form.ZBComm1.Active();
            seen.visibleAfterPortClosed = window->isVisible();
            QAbstractButton* cancel = modal_windows::Button(window, QStringLiteral("CmdCancel"));
            seen.cancelEnabled = cancel->isEnabled();
            cancel->click();
            seen.visibleAfterCancel = window->isVisible();
        },
        kRunMs);
}

bool LooksOffline(ProgramHarness& p)
{
    TFormMain& form = p.Form();
    return gui_test::Panel(form, 1) == QStringLiteral("Offline") &&
           form.CmdSelectUnit->text() == ProgramHarness::Text("Main", "CmdComOpen") &&
           !form.CmdTerminalZenden->isEnabled() && !form.KM40ontvangen1->isEnabled() && !form.Backup1->isEnabled() &&
           !form.Restore1->isEnabled();
}

void HoldFileValues()
{
    ParameterValues.fill(5);
    SetpointValues.fill(6);
    ParameterSource = TParameterSource::File;
    SetpointSource = TSetpointSource::File;
}

bool StillFileValues()
{
    const auto five = [](int32_t v) { return v == 5; };
    const auto six = [](int32_t v) { return v == 6; };
    return std::all_of(ParameterValues.begin(), ParameterValues.end(), five) &&
           std::all_of(SetpointValues.begin(), SetpointValues.end(), six) &&
           ParameterSource == TParameterSource::File && SetpointSource == TSetpointSource::File;
}

} // namespace

class PortClosedDuringTransferTest : public QObject {
    Q_OBJECT

private slots:
    void readWindowPortClosedThenCancelClosesAtOnce()
    {
        ProgramHarness p;
        QVERIFY(p.OpenPortAndIdentify());
        HoldFileValues();

        Observed seen;
        auto step = ClosePortThenCancel(QStringLiteral("FormLeesParSoll"), p.Form(), seen);
        p.MenuItem("KM40ontvangen1")->trigger();
        QVERIFY(step->acted);
        QVERIFY(!step->expired);
        QVERIFY(seen.portClosed);
        QVERIFY(seen.visibleAfterPortClosed); // the user sees what happened
        QVERIFY(seen.cancelEnabled);
        QVERIFY(!seen.visibleAfterCancel);
        QVERIFY(StillFileValues());
        QVERIFY(LooksOffline(p));

        // Nothing more went out, and the program opens the port again as before.
        const std::vector<std::string> sent = p.Requests();
        QVERIFY(!sent.empty() && sent.size() < 400);
        for (const std::string& request : sent)
            QCOMPARE(request.substr(0, 3), std::string("rp "));
        p.Sim().clearLog();
        QVERIFY(p.OpenPortAndIdentify());
        QVERIFY(p.MenuItem("KM40ontvangen1")->isEnabled());
    }

    void readWindowCancelWaitingForAReplyClosesWhenThePortCloses()
    {
        ProgramHarness p;
        QVERIFY(p.OpenPortAndIdentify());
        HoldFileValues();

        bool visibleAfterCancel = false;
        bool visibleAfterPortClosed = true;
        TFormMain& form = p.Form();
        auto step = modal_windows::When(
            QStringLiteral("FormLeesParSoll"), [](QWidget* window) { return ProgressAtLeast(window, 20); },
            [&](QWidget* window) {
                // A request is outstanding: Cancel waits for its reply ...
                modal_windows::Button(window, QStringLiteral("CmdCancel"))->click();
                visibleAfterCancel = window->isVisible();
                // ... which the closed port never brings.
                form.CmdSelectUnit->click();
                visibleAfterPortClosed = window->isVisible();
            },
            kRunMs);
        p.MenuItem("KM40ontvangen1")->trigger();
        QVERIFY(step->acted);
        QVERIFY(!step->expired);
        QVERIFY(visibleAfterCancel);
        QVERIFY(!visibleAfterPortClosed);
        QVERIFY(StillFileValues());
        QVERIFY(LooksOffline(p));
    }

    void writeWindowPortClosedThenCancelClosesAtOnce()
    {
        ProgramHarness p;
        QVERIFY(p.OpenPortAndIdentify());
        QTemporaryDir dir;
        std::array<int32_t, 400> parameters{};
        std::array<int32_t, 48> setpoints{};
        for (int n = 0; n < 400; ++n)
            parameters[n] = *p.Sim().parameter(kUnit, n);
        const QString path = dir.filePath(QStringLiteral("apparaat.bak"));
        QVERIFY(SaveBackupFile(path.toStdString(), parameters, setpoints).Ok());
        p.Dialogs().openFileAnswers.push_back(path);
        p.Dialogs().messageAnswers.push_back(QMessageBox::Yes);

        Observed seen;
        auto step = ClosePortThenCancel(QStringLiteral("FormSchrijfParSoll"), p.Form(), seen);
        p.MenuItem("Restore1")->trigger();
        QVERIFY(step->acted);
        QVERIFY(!step->expired);
        QVERIFY(seen.portClosed);
        QVERIFY(seen.visibleAfterPortClosed);
        QVERIFY(seen.cancelEnabled);
        QVERIFY(!seen.visibleAfterCancel);
        QVERIFY(LooksOffline(p));

        // The write stopped where the port closed: no setpoints, no computation.
        const std::vector<std::string> sent = p.Requests();
        QVERIFY(!sent.empty() && sent.size() < 400);
        for (const std::string& request : sent)
            QCOMPARE(request.substr(0, 3), std::string("wp "));
    }
};

KMT40_GUI_TEST_MAIN(PortClosedDuringTransferTest)
#include "PortClosedDuringTransferTest.moc"
