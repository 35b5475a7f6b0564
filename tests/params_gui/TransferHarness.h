#pragma once
// What the transfer window tests share: a simulated controller on a pseudo-terminal, the real port
// opened on it (COM1 mapped to it), a language file of recognisable texts, fake dialogs, and a way to
// press a button of a modal window while its loop runs.

#include "app/core/Global_var.h"
#include "comm/ZBComm.h"
#include "params/TransferWindow.h"
#include "support/FakeDialogs.h"
#include "support/GuiTestMain.h"
#include "support/RequestTexts.h"
#include "support/SimulatorFixture.h"

#include <QAbstractButton>
#include <QDialog>
#include <QElapsedTimer>
#include <QLabel>
#include <QPalette>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>
#include <string>
#include <vector>

namespace xfer_gui {

// Generous: a full run of 448 exchanges takes some 25 s; only a hang ever reaches this.
constexpr int kWaitMs = 120000;

// Texts that show where they came from ("\xFC" is a Latin-1 u-umlaut).
inline const char kTestLanguage[] =
    "[LeesParSoll]\r\n"
    "CaptionMode0=READ-CAPTION-0\r\nCaptionMode1=READ-CAPTION-1 \xFC\r\nCaptionMode2=READ-CAPTION-2\r\n"
    "CaptionMode3=READ-CAPTION-3\r\n"
    "CmdOK=READ-OK\r\nCmdAgain=READ-AGAIN\r\nCmdCancel=READ-CANCEL\r\n"
    "PanelTekst0=READ-0\r\nPanelTekst1=READ-1\r\nPanelTekst2=READ-2\r\nPanelTekst3=READ-3\r\n"
    "PanelTekst4=READ-4\r\nPanelTekst5=READ-5\r\nPanelTekst6=READ-6\r\nPanelTekst7=READ-7\r\n"
    "[SchrijfParSoll]\r\n"
    "CaptionMode0=WRITE-CAPTION-0\r\nCaptionMode1=WRITE-CAPTION-1\r\nCaptionMode3=WRITE-CAPTION-3\r\n"
    "CmdOK=WRITE-OK\r\n"
    "PanelTekst0=WRITE-0\r\nPanelTekst1=WRITE-1\r\nPanelTekst2=WRITE-2\r\nPanelTekst3=WRITE-3\r\n"
    "PanelTekst4=WRITE-4\r\nPanelTekst5=WRITE-5\r\nPanelTekst6=WRITE-6\r\nPanelTekst7=WRITE-7\r\n"
    "PanelTekst8=WRITE-8\r\nPanelTekst9=WRITE-9\r\nPanelTekst10=WRITE-10\r\nPanelTekst11=WRITE-11\r\n"
    "[Loader]\r\n"
    "Caption=LOADER-CAPTION\r\nCmdOK=LOADER-OK\r\n"
    "PanelTekst0=LOADER-0\r\nPanelTekst2=LOADER-2\r\nPanelTekst4=LOADER-4\r\nPanelTekst5=LOADER-5\r\n"
    "PanelTekst6=LOADER-6\r\n"
    "[BackupRestore]\r\n"
    "SaveCaption=BACKUP-SAVE\r\nOpenCaption=RESTORE-OPEN\r\nOpenFilter=Backups (*.bak)|*.bak\r\n"
    "Msg_ErrorCaption=ERROR-CAPTION\r\nOpenMsg1=OPEN-MSG-1\r\nOpenMsg2=OPEN-MSG-2\r\n"
    "Msg_waarschuwingCaption=WARN-CAPTION\r\nMsg_waarschuwingRestore_1=WARN-1\r\n"
    "Msg_waarschuwingRestore_2=WARN-2\r\n";

class TransferHarness {
public:
    TransferHarness() : dialogsInstalled_(dialogs)
    {
        Global_var.Reset();
        LanguageFile.LoadFromText(kTestLanguage);
        LanguageLoaded = true;
        port.SetPortName(pty.port());
        port.SetBaudrate(TBaudrate::br38400); // the simulated unit's line
        port.SetFrameParitybit(TParityBit::Even);
        port.Open();
    }
    ~TransferHarness()
    {
        port.Close();
        Global_var.Reset();
    }

    std::vector<std::string> Requests() const { return RequestTexts(sim); }

    // Calls f on the simulator's thread for every request it received.
    void OnRequest(std::function<void(const std::string&)> f)
    {
        sim.setRequestObserver([f](const km4x::RequestRecord& record) { f(record.text); });
    }

    FakeDialogs dialogs;
    SimulatorOnPty pty;
    km4x::Simulator& sim = pty.sim();
    TZBComm port; // served by the Qt hand-over the test's main installs

private:
    FakeDialogs::Installed dialogsInstalled_;
};

inline bool IsRed(const QLabel* panel)
{
    return panel->palette().color(QPalette::WindowText) == QColor(Qt::red);
}

// Waits until the run of a read or write window has ended, however it ended: Again is offered at
// every end (OK only after a good one). A test then checks the panel, so a run that stopped red
// (a time-out on a loaded machine) fails at once with its text instead of waiting out kWaitMs for
// an OK that cannot come. The wait is counted in time, not in steps that a loaded machine stretches.
inline bool WaitForRunEnd(const TTransferWindow& Window)
{
    QElapsedTimer clock;
    clock.start();
    while (!Window.CmdAgain->isEnabled() && clock.elapsed() < kWaitMs)
        QTest::qWait(10);
    return Window.CmdAgain->isEnabled();
}

// Presses Button of the modal window Window as soon as it is shown and enabled. Should that not
// happen within kWaitMs, the window is closed with Rejected so that the test fails instead of hanging.
inline void PressWhenEnabled(QDialog* Window, QAbstractButton* Button)
{
    auto* timer = new QTimer;
    auto* clock = new QElapsedTimer;
    clock->start();
    QPointer<QDialog> window(Window);
    QPointer<QAbstractButton> button(Button);
    QObject::connect(timer, &QTimer::timeout, [timer, clock, window, button] {
        const bool ready = window && button && window->isVisible() && button->isEnabled();
        const bool expired = clock->elapsed() > kWaitMs;
        if (!ready && !expired)
            return;
        timer->stop();
        timer->deleteLater();
        delete clock;
        if (ready)
            QTest::mouseClick(button, Qt::LeftButton);
        else if (window)
            window->done(QDialog::Rejected);
    });
    timer->start(20);
}

} // namespace xfer_gui
