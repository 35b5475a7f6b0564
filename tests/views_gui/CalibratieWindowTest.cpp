// The calibration window through its controls against the simulator: the read-back, what each
// reply unlocks, the commands the buttons and boxes send, the unsaved-values warning; a controller
// that stops answering during the read-back; and a window or port that goes away mid-request.
#include "FakeDialogs.h"
#include "GuiTestMain.h"
#include "SimulatorFixture.h"

#include "comm/serial/FakeSerialLine.h"
#include "device/PanelColors.h"
#include "views/Calibratie.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

namespace {

constexpr int kWaitMs = 10000;

struct CalibrationLine {
    SimulatorOnPty sim;
    TZBComm port;
    CalibrationLine()
    {
        port.SetBaudrate(TBaudrate::br38400);
        sim->withUnit(0, [](km4x::ControllerUnit& unit) { unit.calibration.values = {12, 10, 7, -1500}; });
        port.Open();
    }
    bool sent(const std::string& request)
    {
        for (const km4x::RequestRecord& record : sim.sim().requestLog())
            if (record.text == request)
                return true;
        return false;
    }
    std::size_t count() { return sim.sim().requestCount(); }
};

void waitForRequests(CalibrationLine& line, std::size_t count)
{
    QTRY_VERIFY_WITH_TIMEOUT(line.count() >= count, kWaitMs);
    QTest::qWait(50); // and the reply's 50 ms of silence
}

} // namespace

class CalibratieWindowTest : public QObject {
    Q_OBJECT

private slots:
    void repliesUnlockTheGroupsAndUnsavedValuesAskBeforeClosing()
    {
        FakeDialogs dialogs;
        FakeDialogs::Installed use(dialogs);
        CalibrationLine line;
        TFormCalibratie w(&line.port);
        w.show();
        // The read-back fills the four boxes; a gain beyond 1000 shows (and counts) as 1000.
        QTRY_COMPARE_WITH_TIMEOUT(w.SpinEdit_Gain_I->value(), -1000, kWaitMs);
        QCOMPARE(w.SpinEdit_Offset_U->value(), 12);
        QCOMPARE(w.SpinEdit_Gain_U->value(), 10);
        QCOMPARE(w.SpinEdit_Offset_I->value(), 7);
        QCOMPARE(w.Session().SavedValue(CalibrationCurrentGain), -1000);
        QVERIFY(!w.CmdSetUmin->isEnabled() && !w.CmdSetImin->isEnabled() && !w.CmdSet_U_actief->isEnabled());
        QVERIFY(!w.CmdSaveToEEPROM->isEnabled());
        QVERIFY(w.CmdSetKalibtatieMode->isEnabled() && w.CmdResCalibtatieMode->isEnabled());
        QCOMPARE(device::TextColor(w.GroupBox1), QColor(128, 128, 128));

        // Outside calibration mode a box change is not written.
        const std::size_t before = line.count();
        w.SpinEdit_Gain_U->setValue(12);
        QTest::qWait(200);
        QCOMPARE(line.count(), before);
        w.SpinEdit_Gain_U->setValue(10);

        w.CmdSetKalibtatieMode->click();
        QTRY_VERIFY_WITH_TIMEOUT(w.CmdSet_U_actief->isEnabled(), kWaitMs);
        QVERIFY(!w.CmdSetUmin->isEnabled());
        w.CmdSet_I_actief->click(); // "kf 2": only the current group
        QTRY_VERIFY_WITH_TIMEOUT(w.CmdSetImin->isEnabled(), kWaitMs);
        QVERIFY(!w.CmdSetUmin->isEnabled());
        QCOMPARE(device::TextColor(w.GroupBox1), QColor(128, 128, 128));
        QCOMPARE(w.Panel1->text(), QStringLiteral("kf 2"));

        w.CmdSetImin->click();
        waitForRequests(line, before + 3);
        QVERIFY(line.sent("ka -100000"));
        w.SpinEdit6->setValue(-3);
        w.CmdSetImin->click();
        waitForRequests(line, before + 4);
        QVERIFY(line.sent("ka -1"));
        w.CmdSet_U_actief->click();
        QTRY_VERIFY_WITH_TIMEOUT(w.CmdSetUmax->isEnabled(), kWaitMs);
        w.CmdSetUmax->click();
        waitForRequests(line, before + 6);
        QVERIFY(line.sent("ka 100000"));

        // A written value that differs from the saved one enables EEPROM until "ks".
        w.SpinEdit_Gain_U->setValue(12);
        QTRY_VERIFY_WITH_TIMEOUT(w.CmdSaveToEEPROM->isEnabled(), kWaitMs);
        QVERIFY(line.sent("kw 2042 12"));
        w.SpinEdit_Gain_U->setValue(10);
        waitForRequests(line, before + 8);
        QVERIFY(w.CmdSaveToEEPROM->isEnabled());
        w.CmdSaveToEEPROM->click();
        QTRY_VERIFY_WITH_TIMEOUT(!w.CmdSaveToEEPROM->isEnabled(), kWaitMs);
        QVERIFY(!w.Session().Unsaved());

        // Unsaved again: closing asks; No keeps the window, Yes closes it.
        w.SpinEdit_Offset_I->setValue(8);
        QTRY_VERIFY_WITH_TIMEOUT(w.Session().Unsaved(), kWaitMs);
        dialogs.messageAnswers = {QMessageBox::No, QMessageBox::Yes};
        w.close();
        QVERIFY(w.isVisible());
        QCOMPARE(dialogs.asked.back().caption, QStringLiteral("Waarschuwing"));
        QCOMPARE(dialogs.asked.back().icon, QMessageBox::Warning);
        const QStringList lines = dialogs.asked.back().text.split(QStringLiteral("\r\n"));
        QVERIFY(lines.size() >= 3);
        for (const QString& l : lines)
            QVERIFY2(l.size() <= 42, qPrintable(l));
        QCOMPARE(lines.join(QString()), QStringLiteral("Er zijn calibratie waarden naar de KM4x...gezonden maar nog "
                                                       "niet gesaved in EEPROM. Wilt U toch afsluiten?"));
        w.close();
        QVERIFY(!w.isVisible());

        // Opened again (the controller still in calibration mode): the read-back runs, and nothing is
        // written before "Aan" is answered again. Then "km 0" disables both groups and DA select.
        const std::size_t beforeReopen = line.count();
        w.show();
        QTRY_VERIFY_WITH_TIMEOUT(w.Session().ReadBackComplete(), kWaitMs);
        QTest::qWait(100);
        QCOMPARE(line.count(), beforeReopen + 4);
        w.CmdSetKalibtatieMode->click();
        QTRY_VERIFY_WITH_TIMEOUT(w.CmdSet_U_actief->isEnabled(), kWaitMs);
        w.CmdSet_U_actief->click();
        QTRY_VERIFY_WITH_TIMEOUT(w.CmdSetUmin->isEnabled(), kWaitMs);
        w.CmdResCalibtatieMode->click();
        QTRY_VERIFY_WITH_TIMEOUT(!w.CmdSet_U_actief->isEnabled(), kWaitMs);
        QVERIFY(!w.CmdSetUmin->isEnabled() && !w.CmdSetImin->isEnabled());
        // Closing right away asks nothing.
        const std::size_t asked = dialogs.asked.size();
        w.close();
        QVERIFY(!w.isVisible());
        QCOMPARE(dialogs.asked.size(), asked);
    }

    void aTimeOutDuringTheReadBackStopsItWithARedTimeout()
    {
        auto fake = std::make_shared<zbserial::FakeSerialLine>();
        fake->SetResponder([](zbserial::FakeSerialLine& l, const std::vector<uint8_t>& frame) {
            if (std::string(frame.begin(), frame.end()) == "kr 2041\r")
                l.Feed("kr 2041 5\r\n");
        });
        TZBComm port;
        port.SetLineFactory([fake] { return fake; });
        port.Open();
        TFormCalibratie w(&port);
        w.SpinEdit_Gain_U->setValue(77);
        w.show();
        QTRY_COMPARE_WITH_TIMEOUT(w.Panel1->text(), QStringLiteral("Timeout!"), kWaitMs);
        QCOMPARE(device::TextColor(w.Panel1), QColor(Qt::red));
        QCOMPARE(w.SpinEdit_Offset_U->value(), 5);
        QCOMPARE(w.SpinEdit_Gain_U->value(), 77);
        QTest::qWait(300);
        QCOMPARE(fake->Writes().size(), std::size_t(2)); // kr 2041, kr 2042 - and no retry
        QVERIFY(!w.Session().ReadBackComplete());
    }

    void noLateEventReachesAWindowOrPortThatWentAway()
    {
        CalibrationLine line;
        line.sim->setAnswerDelay(std::chrono::milliseconds(300));
        auto* w = new TFormCalibratie(&line.port);
        w->show();
        w->CmdSetKalibtatieMode->click();
        delete w; // with the read-back and "km 1" outstanding
        QTest::qWait(800);
        line.sim->setAnswerDelay(std::chrono::milliseconds(0));

        TFormCalibratie other(&line.port);
        other.show();
        QTRY_VERIFY_WITH_TIMEOUT(other.Session().ReadBackComplete(), kWaitMs);
        const QString status = other.Panel1->text();
        line.sim->setAnswerDelay(std::chrono::milliseconds(60)); // within the time-out
        other.CmdSetKalibtatieMode->click();
        line.port.Close(); // the port closes under the outstanding "km 1"
        QTest::qWait(600);
        QCOMPARE(other.Panel1->text(), status);
        QVERIFY(!other.CmdSet_U_actief->isEnabled());
    }
};

KMT40_GUI_TEST_MAIN(CalibratieWindowTest)
#include "CalibratieWindowTest.moc"
