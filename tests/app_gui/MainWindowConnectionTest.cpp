// Opening and closing the port from the main window, the identification chain in the status bar,
// the wrong-model warning and the communication-error display, against the simulator.
#include "GuiTestMain.h"
#include "MainWindowHarness.h"

#include "app/SimulatedLine.h"
#include "comm/ReplyRule.h"
#include "device/PanelColors.h"

#include <QAction>
#include <QDialog>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSpinBox>

using namespace gui_test;

class MainWindowConnectionTest : public QObject {
    Q_OBJECT

private:
    static void waitForIdentification(TFormMain& form)
    {
        QTRY_VERIFY_WITH_TIMEOUT(!Panel(form, 4).isEmpty(), kWaitMs);
    }

private slots:
    void openingSelectsTheUnitAndIdentifiesTheController()
    {
        MainWindowHarness h({Unit(3), Unit(12)}, 12);
        TFormMain& form = h.CreateForm();
        QCOMPARE(form.SpinEditUnitSelect->value(), 12);

        h.ClickOpenClose();
        QVERIFY(form.ZBComm1.Active());
        waitForIdentification(form);

        const std::vector<std::string> requests = h.Requests();
        QVERIFY(requests.size() >= 4);
        QCOMPARE(requests[0], std::string("sc 12"));
        QCOMPARE(requests[1], std::string("rt"));
        QCOMPARE(requests[2], std::string("rh"));
        QCOMPARE(requests[3], std::string("rx"));

        QCOMPARE(Panel(form, 0), QStringLiteral("COM 1"));
        // The tool-tip tells what "COM 1" is on this machine.
        QCOMPARE(form.StatusPanels[0]->toolTip(), QString::fromStdString(h.Sim().devicePath()));
        QCOMPARE(Panel(form, 1), QStringLiteral("9600,E,8,1"));
        QCOMPARE(Panel(form, 2), QStringLiteral("KM40 V2.31"));
        QCOMPARE(Panel(form, 3), QStringLiteral("SW 2.31 2021-03-15"));
        QCOMPARE(Panel(form, 4), QStringLiteral("SN 4711"));
        QCOMPARE(QString::fromStdString(DeviceModel), QStringLiteral("KM40"));
        QCOMPARE(IdentificationStep, 2);
        QCOMPARE(form.PanelComInfo->text(), QString());
        QCOMPARE(h.dialogs.count(FakeDialogs::Kind::Message), 0);

        QCOMPARE(form.CmdSelectUnit->text(), QStringLiteral("CLOSE-TEXT"));
        for (QPushButton* button :
             {form.CmdTerminalZenden, form.CmdResetError, form.CmdActual, form.CmdInUit, form.CmdDuimwiel})
            QVERIFY2(button->isEnabled(), qPrintable(button->objectName()));
        QVERIFY(form.KM40ontvangen1->isEnabled());
        QVERIFY(form.Backup1->isEnabled());
        QVERIFY(form.Restore1->isEnabled());
    }

    void otherLineSettingsShowInTheStatusBar()
    {
        km4x::UnitConfig unit = Unit(0);
        unit.line = km4x::LineSettings{19200, km4x::Parity::None, 8, 2};
        MainWindowHarness h({unit}, 0);
        h.Dir().Write(QStringLiteral("application.ini"),
                      "[Serieel]\r\nbaudrate=4\r\nparity=0\r\nstopbit=1\r\nportname=0\r\nunit_no=0\r\n"
                      "[Poorten]\r\nCOM1=" + QByteArray::fromStdString(h.Sim().devicePath()) + "\r\n");
        TFormMain& form = h.CreateForm();
        h.ClickOpenClose();
        waitForIdentification(form);
        QCOMPARE(Panel(form, 1), QStringLiteral("19200,N,8,2"));
        QCOMPARE(h.Requests().front(), std::string("sc 0"));
    }

    void aForeignTypeWarnsOnlyWithALanguageFile()
    {
        {
            MainWindowHarness h({Unit(12, "KM30 V1.00")}, 12, true);
            TFormMain& form = h.CreateForm();
            h.ClickOpenClose();
            waitForIdentification(form); // the chain goes on after the warning
            QCOMPARE(h.dialogs.count(FakeDialogs::Kind::Message), 1);
            const FakeDialogs::Asked& asked = h.dialogs.asked.front();
            QCOMPARE(asked.icon, QMessageBox::Warning);
            QCOMPARE(asked.caption, QStringLiteral("WARN-CAPTION"));
            QCOMPARE(asked.text, QStringLiteral("WARN-TEXT"));
            QCOMPARE(asked.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
            QCOMPARE(asked.parent, static_cast<QWidget*>(&form));
            QCOMPARE(QString::fromStdString(DeviceModel), QStringLiteral("KM30"));
            QCOMPARE(Panel(form, 2), QStringLiteral("KM30 V1.00"));
        }
        {
            MainWindowHarness h({Unit(12, "KM30 V1.00")}, 12, false);
            TFormMain& form = h.CreateForm();
            h.ClickOpenClose();
            waitForIdentification(form);
            QCOMPARE(h.dialogs.count(FakeDialogs::Kind::Message), 0);
            QCOMPARE(QString::fromStdString(DeviceModel), QStringLiteral("KM30"));
        }
        {
            // KM41 with more behind it is supported; a three-character type is not.
            MainWindowHarness h({Unit(12, "KM41-B rev 3")}, 12, true);
            TFormMain& form = h.CreateForm();
            h.ClickOpenClose();
            waitForIdentification(form);
            QCOMPARE(h.dialogs.count(FakeDialogs::Kind::Message), 0);
            QCOMPARE(QString::fromStdString(DeviceModel), QStringLiteral("KM41"));
        }
        {
            MainWindowHarness h({Unit(12, "KM4")}, 12, true);
            TFormMain& form = h.CreateForm();
            h.ClickOpenClose();
            waitForIdentification(form);
            QCOMPARE(h.dialogs.count(FakeDialogs::Kind::Message), 1);
            QCOMPARE(QString::fromStdString(DeviceModel), QStringLiteral("KM4"));
        }
    }

    void aSilentUnitShowsTheTimeoutTextInRed()
    {
        MainWindowHarness h({Unit(12)}, 12);
        h.Sim().setFault(12, km4x::Fault::Silent, true);
        TFormMain& form = h.CreateForm();
        form.PanelErrorNo->setText(QStringLiteral("stale"));
        h.ClickOpenClose();

        QTRY_COMPARE_WITH_TIMEOUT(form.PanelComInfo->text(), QStringLiteral("TIMEOUT-TEXT"), kWaitMs);
        QCOMPARE(device::TextColor(form.PanelComInfo), QColor(Qt::red));
        QCOMPARE(form.PanelErrorNo->text(), QString());
        // The chain stopped at "sc": nothing else was asked.
        QCOMPARE(h.Requests(), std::vector<std::string>{"sc 12"});
        // No unit proved itself: the identification failed, and nothing is polled.
        QCOMPARE(Panel(form, 2), QStringLiteral("?"));
        QVERIFY(!form.CmdActual->isEnabled() && !form.CmdResetError->isEnabled());

        // The next good terminal reply clears the text; the colour stays red.
        h.Sim().setFault(12, km4x::Fault::Silent, false);
        form.EditZenden->setText(QStringLiteral("rt"));
        QTest::mouseClick(form.CmdTerminalZenden, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(form.MemoReceive->toPlainText(), QStringLiteral("rt KM40 V2.31"), kWaitMs);
        QCOMPARE(form.PanelComInfo->text(), QString());
        QCOMPARE(device::TextColor(form.PanelComInfo), QColor(Qt::red));
    }

    void withoutALanguageFileTheErrorTextsAndCaptionsAreEmpty()
    {
        MainWindowHarness h({Unit(12)}, 12, false);
        h.Sim().setFault(12, km4x::Fault::Silent, true);
        TFormMain& form = h.CreateForm();
        QCOMPARE(form.CmdSelectUnit->text(), QString());
        h.ClickOpenClose();
        // The time-out is handled (red colour) with the empty held text.
        QTRY_COMPARE_WITH_TIMEOUT(device::TextColor(form.PanelComInfo), QColor(Qt::red), kWaitMs);
        QCOMPARE(form.PanelComInfo->text(), QString());
    }

    void aFailingIdentificationRequestStopsTheChainAndShowsWhere()
    {
        MainWindowHarness h({Unit(12)}, 12);
        h.Sim().setFault(12, km4x::Fault::Silent, true, "rh");
        TFormMain& form = h.CreateForm();
        h.ClickOpenClose();
        QTRY_COMPARE_WITH_TIMEOUT(Panel(form, 2), QStringLiteral("KM40 V2.31"), kWaitMs);
        // The failed step is marked and the time-out named, so it is not taken for finished.
        QTRY_COMPARE_WITH_TIMEOUT(Panel(form, 3), QStringLiteral("?"), kWaitMs);
        QCOMPARE(form.PanelComInfo->text(), QStringLiteral("TIMEOUT-TEXT"));
        // "rh" timed out (100 ms); give it well beyond that, then nothing more has happened.
        QTest::qWait(300);
        QCOMPARE(h.Requests(), (std::vector<std::string>{"sc 12", "rt", "rh"}));
        QCOMPARE(Panel(form, 4), QString());
        QCOMPARE(h.dialogs.asked.size(), std::size_t(0));

        // A garbled identification text (control bytes) is marked as failed too; the chain goes on.
        h.Sim().setFault(12, km4x::Fault::Silent, false, "rh");
        h.Sim().setFault(12, km4x::Fault::Garbage, true, "rx");
        h.ClickOpenClose();
        h.ClickOpenClose();
        QTRY_COMPARE_WITH_TIMEOUT(Panel(form, 4), QStringLiteral("?"), kWaitMs);
        QCOMPARE(Panel(form, 3), QStringLiteral("SW 2.31 2021-03-15"));
    }

    void aTextWithoutItsEchoIsShownAsFailedAndTheChainGoesOn()
    {
        // A text without its echo is not taken over but shown as failed ("?"); the chain goes on.
        MainWindowHarness h({Unit(12)}, 12);
        h.Sim().setFault(12, km4x::Fault::WrongEchoAlways, true, "rt");
        TFormMain& form = h.CreateForm();
        h.ClickOpenClose();
        waitForIdentification(form);
        QCOMPARE(h.Requests(), (std::vector<std::string>{"sc 12", "rt", "rh", "rx"}));
        QCOMPARE(Panel(form, 2), QStringLiteral("?"));
        QCOMPARE(Panel(form, 3), QStringLiteral("SW 2.31 2021-03-15"));
        QCOMPARE(Panel(form, 4), QStringLiteral("SN 4711"));
        QCOMPARE(QString::fromStdString(DeviceModel), QString());
        QCOMPARE(h.dialogs.count(FakeDialogs::Kind::Message), 0);
    }

    void aUnitSelectionAnsweredOtherwiseFailsTheIdentificationAndTakesNothing()
    {
        // "sc 12" answered by another unit, with other letters or by the line's own echo: the
        // identification fails with a message naming the reply, nothing of that unit is read
        // (no identification text, no error poll) and the live polls and transfers stay off.
        const struct {
            km4x::Fault fault;
            QString message;
        } cases[] = {
            {km4x::Fault::OtherNumber, QStringLiteral("\"sc 12\" was answered \"sc 13\\r\\n\": not this unit")},
            {km4x::Fault::WrongEchoAlways, QStringLiteral("\"sc 12\" was answered \"cs 12\\r\\n\": not this unit")},
            // "sc 12" CR without its LF is byte for byte what an echoing adapter gives back.
            {km4x::Fault::CutEnd, QString::fromLatin1(EchoingLineText.data(), qsizetype(EchoingLineText.size()))},
        };
        for (const auto& c : cases) {
            MainWindowHarness h({Unit(12)}, 12);
            h.Sim().setFault(12, c.fault, true, "sc");
            TFormMain& form = h.CreateForm();
            h.ClickOpenClose();
            QTRY_COMPARE_WITH_TIMEOUT(form.PanelComInfo->text(), c.message, kWaitMs);
            QCOMPARE(device::TextColor(form.PanelComInfo), QColor(Qt::red));
            QCOMPARE(Panel(form, 2), QStringLiteral("?"));
            QCOMPARE(QString::fromStdString(DeviceModel), QString());
            for (QPushButton* button : {form.CmdResetError, form.CmdActual, form.CmdInUit, form.CmdDuimwiel})
                QVERIFY(!button->isEnabled());
            for (QAction* transfer : {form.KM40ontvangen1, form.Backup1, form.Restore1})
                QVERIFY(!transfer->isEnabled());
            form.Timer1Timer();
            QTest::qWait(200);
            QCOMPARE(h.Requests(), (std::vector<std::string>{"sc 12"}));
            QCOMPARE(form.PanelErrorNo->text(), QString());
        }
    }

    void anErrorReplyWithoutItsEchoReplacesTheOldNumber()
    {
        MainWindowHarness h({Unit(12)}, 12);
        h.Sim().setErrorNumber(12, 7);
        TFormMain& form = h.CreateForm();
        h.ClickOpenClose();
        waitForIdentification(form);
        form.Timer1Timer();
        QTRY_COMPARE_WITH_TIMEOUT(form.PanelErrorNo->text(), QStringLiteral("KM40... Error: 7"), kWaitMs);
        h.Sim().setFault(12, km4x::Fault::WrongEchoAlways, true, "rf");
        form.Timer1Timer();
        QTRY_COMPARE_WITH_TIMEOUT(form.PanelErrorNo->text(), QStringLiteral("?"), kWaitMs);
    }

    void closingRestoresOfflineAndEveryDisabledState()
    {
        MainWindowHarness h({Unit(12)}, 12);
        h.Sim().setErrorNumber(12, 7);
        TFormMain& form = h.CreateForm();
        h.ClickOpenClose();
        waitForIdentification(form);
        form.Timer1Timer();
        QTRY_COMPARE_WITH_TIMEOUT(form.PanelErrorNo->text(), QStringLiteral("KM40... Error: 7"), kWaitMs);
        QCOMPARE(Panel(form, 5), QStringLiteral(". "));
        form.PanelActPos->setText(QStringLiteral("1,00"));
        form.Panel_DW[2]->setText(QStringLiteral("3"));
        form.PanelData_IO_in->setText(QStringLiteral("4660"));
        device::SetBackground(form.Panel_DW[0], device::PolledColor);
        device::SetBackground(form.Tb_in[0], device::LampOnColor);
        ActualPolling = IoPolling = ThumbwheelPolling = true;

        h.ClickOpenClose();
        QVERIFY(!form.ZBComm1.Active());
        QCOMPARE(Panel(form, 0), QString());
        QCOMPARE(Panel(form, 1), QStringLiteral("Offline"));
        for (int i = 2; i <= 5; ++i)
            QCOMPARE(Panel(form, i), QString());
        QCOMPARE(form.StatusPanels[0]->toolTip(), QString());
        QCOMPARE(form.PanelErrorNo->text(), QString());
        QCOMPARE(form.PanelComInfo->text(), QString());
        QCOMPARE(form.CmdSelectUnit->text(), QStringLiteral("OPEN-TEXT"));
        QCOMPARE(form.CmdActual->text(), QStringLiteral("ACTUAL-ON"));
        QCOMPARE(form.CmdInUit->text(), QStringLiteral("IO-ON"));
        QCOMPARE(form.CmdDuimwiel->text(), QStringLiteral("DW-ON"));
        for (QPushButton* button :
             {form.CmdTerminalZenden, form.CmdResetError, form.CmdActual, form.CmdInUit, form.CmdDuimwiel})
            QVERIFY2(!button->isEnabled(), qPrintable(button->objectName()));
        QVERIFY(form.CmdSelectUnit->isEnabled());
        QVERIFY(!form.KM40ontvangen1->isEnabled());
        QVERIFY(!form.Backup1->isEnabled());
        QVERIFY(!form.Restore1->isEnabled());
        QVERIFY(form.KM40zoeken1->isEnabled());
        QVERIFY(!ActualPolling && !IoPolling && !ThumbwheelPolling);
        QCOMPARE(form.PanelActPos->text(), QString());
        QCOMPARE(form.Panel_DW[2]->text(), QString());
        QCOMPARE(form.PanelData_IO_in->text(), QString());
        const QColor neutral = device::NeutralColor(&form);
        QCOMPARE(device::Background(form.Panel_DW[0]), neutral);
        QCOMPARE(device::Background(form.Tb_in[0]), neutral);
        QCOMPARE(device::Background(form.PanelData_IO_uit), neutral);

        // And it opens again, with a new identification.
        h.Sim().clearLog();
        h.ClickOpenClose();
        QTRY_COMPARE_WITH_TIMEOUT(Panel(form, 4), QStringLiteral("SN 4711"), kWaitMs);
        QCOMPARE(h.Requests().front(), std::string("sc 12"));
    }

    void changingTheUnitWhileOpenSendsNothingUntilTheNextOpening()
    {
        MainWindowHarness h({Unit(12), Unit(5)}, 12);
        TFormMain& form = h.CreateForm();
        h.ClickOpenClose();
        waitForIdentification(form);
        const std::size_t before = h.Sim().requestCount();
        form.SpinEditUnitSelect->setValue(5);
        QTest::qWait(300);
        QCOMPARE(h.Sim().requestCount(), before);

        h.ClickOpenClose();
        h.Sim().clearLog();
        h.ClickOpenClose();
        QTRY_COMPARE_WITH_TIMEOUT(Panel(form, 4), QStringLiteral("SN 4711"), kWaitMs);
        QCOMPARE(h.Requests().front(), std::string("sc 5"));
    }

    void noUnitSelectionWhileTheDeviceSearchIsActive()
    {
        MainWindowHarness h({Unit(12)}, 12);
        TFormMain& form = h.CreateForm();
        QDialog search;
        search.setObjectName(TFormMain::DeviceSearchWindowName);
        search.show();
        QApplication::setActiveWindow(&search);
        QTRY_COMPARE_WITH_TIMEOUT(QApplication::activeWindow(), static_cast<QWidget*>(&search), kWaitMs);

        form.ZBComm1.Open();
        QVERIFY(form.ZBComm1.Active());
        QCOMPARE(form.ZBComm1.QueueLength(), std::size_t(0));
        QCOMPARE(Panel(form, 1), QStringLiteral("9600,E,8,1")); // the rest of the activation ran
        QVERIFY(form.KM40ontvangen1->isEnabled());
        QTest::qWait(300);
        QCOMPARE(h.Sim().requestCount(), std::size_t(0));
    }

    void theSimulatedLineAnswersOnCom1()
    {
        // What "kmt40 --simulate" does after the window is created: a unit that listens at the
        // window's line settings, on COM1, without any settings file.
        TempProgramDir dir;
        FakeDialogs dialogs;
        FakeDialogs::Installed installed(dialogs);
        Global_var.Reset();
        {
            TFormMain form(dir.Path());
            form.Timer1->stop();
            form.SpinEditUnitSelect->setValue(4);
            SimulatedLine line(form.ZBComm1, 4);
            QCOMPARE(QString::fromStdString(PortDevicePath(TPort::COM1)), QString::fromStdString(line.DevicePath()));
            QTest::mouseClick(form.CmdSelectUnit, Qt::LeftButton);
            QTRY_COMPARE_WITH_TIMEOUT(Panel(form, 4), QStringLiteral("SN 004704"), kWaitMs);
            QCOMPARE(Panel(form, 1), QStringLiteral("9600,O,8,1"));
            form.close();
        }
        QCOMPARE(QString::fromStdString(PortDevicePath(TPort::COM1)),
                 QString::fromStdString(DefaultPortDevicePath(TPort::COM1)));
        QCOMPARE(dialogs.count(FakeDialogs::Kind::Error), 0);
        Global_var.Reset();
    }

    void aPortThatCannotOpenIsReportedAndTheProgramGoesOn()
    {
        MainWindowHarness h({Unit(12)}, 12);
        h.Dir().Write(QStringLiteral("application.ini"),
                      "[Serieel]\r\nportname=1\r\n[Poorten]\r\nCOM2=/nonexistent/kmt40-no-such-tty\r\n");
        TFormMain& form = h.CreateForm();
        h.ClickOpenClose();
        QVERIFY(!form.ZBComm1.Active());
        QCOMPARE(h.dialogs.count(FakeDialogs::Kind::Error), 1);
        QVERIFY(!h.dialogs.asked.front().text.isEmpty());
        QCOMPARE(Panel(form, 1), QStringLiteral("Offline"));
        QVERIFY(!form.CmdTerminalZenden->isEnabled());
        QVERIFY(!form.KM40ontvangen1->isEnabled());
    }

    void aPortInUseIsReportedAndOpensOnceFreed()
    {
        MainWindowHarness h({Unit(12)}, 12);
        TFormMain& form = h.CreateForm();
        {
            TZBComm other;
            other.Open(); // COM1, mapped to the simulator by the settings file
            h.ClickOpenClose();
            QVERIFY(!form.ZBComm1.Active());
            QCOMPARE(h.dialogs.count(FakeDialogs::Kind::Error), 1);
            QCOMPARE(Panel(form, 1), QStringLiteral("Offline"));
            other.Close();
        }
        h.ClickOpenClose();
        QVERIFY(form.ZBComm1.Active());
        QTRY_COMPARE_WITH_TIMEOUT(Panel(form, 4), QStringLiteral("SN 4711"), kWaitMs);
    }
};

KMT40_GUI_TEST_MAIN(MainWindowConnectionTest)
#include "MainWindowConnectionTest.moc"
