// The calibration window through its controls against the simulator: the read-back, what each
// reply unlocks, the commands the buttons and boxes send, one at a time and in order, what counts
// as saved, the closing questions (unsaved values, a controller left in calibration mode); a
// controller that refuses or stops answering during the read-back; and a window or port that goes
// away mid-request.
#include "FakeDialogs.h"
#include "GuiTestMain.h"
#include "SimulatorFixture.h"

#include "comm/serial/FakeSerialLine.h"
#include "device/PanelColors.h"
#include "views/Calibratie.h"

#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>

#include <tuple>

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
    // The requests from the index'th on.
    std::vector<std::string> since(std::size_t index)
    {
        std::vector<std::string> texts;
        const std::vector<km4x::RequestRecord> log = sim.sim().requestLog();
        for (std::size_t i = index; i < log.size(); ++i)
            texts.push_back(log[i].text);
        return texts;
    }
    km4x::CalibrationState calibration()
    {
        km4x::CalibrationState state;
        sim->withUnit(0, [&](km4x::ControllerUnit& unit) { state = unit.calibration; });
        return state;
    }
};

// The window shown on a simulated controller, with scripted answers to its questions.
struct OpenWindow {
    FakeDialogs dialogs;
    FakeDialogs::Installed use{dialogs};
    CalibrationLine line;
    TFormCalibratie window{&line.port};
    OpenWindow() { window.show(); }
    std::tuple<FakeDialogs&, CalibrationLine&, TFormCalibratie&> parts() { return {dialogs, line, window}; }
};

void enterCalibrationWithVoltage(TFormCalibratie& w)
{
    QTRY_VERIFY_WITH_TIMEOUT(w.Session().ReadBackComplete(), kWaitMs);
    w.CmdSetKalibtatieMode->click();
    QTRY_VERIFY_WITH_TIMEOUT(w.CmdSet_U_actief->isEnabled(), kWaitMs);
    w.CmdSet_U_actief->click();
    QTRY_VERIFY_WITH_TIMEOUT(w.SpinEdit_Offset_U->isEnabled(), kWaitMs);
}

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
        OpenWindow open;
        auto [dialogs, line, w] = open.parts();
        // The read-back fills the four boxes; a gain beyond the entry range shows as read, and the
        // status line says so.
        QTRY_VERIFY_WITH_TIMEOUT(w.Session().ReadBackComplete(), kWaitMs);
        QCOMPARE(w.SpinEdit_Gain_I->value(), -1500);
        QCOMPARE(w.SpinEdit_Offset_U->value(), 12);
        QCOMPARE(w.SpinEdit_Gain_U->value(), 10);
        QCOMPARE(w.SpinEdit_Offset_I->value(), 7);
        QCOMPARE(w.Session().SavedValue(CalibrationCurrentGain), -1500);
        QCOMPARE(w.Panel1->text(), QStringLiteral("Gain 2044 = -1500 ligt buiten het bereik -1000..1000"));
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

        // Unsaved again, and out of calibration mode: closing asks; No keeps the window, Yes closes it.
        w.SpinEdit_Offset_I->setValue(8);
        QVERIFY(w.Session().Unsaved()); // from the moment it is on its way
        w.CmdResCalibtatieMode->click();
        QTRY_VERIFY_WITH_TIMEOUT(!w.CmdSet_U_actief->isEnabled(), kWaitMs);
        QVERIFY(w.Session().Unsaved() && !w.Session().OutputHeld());
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

        // Opened again: the read-back runs, and nothing is written before "Aan" is answered again.
        // Then "km 0" disables both groups and DA select.
        const std::size_t beforeReopen = line.count();
        w.show();
        QTRY_VERIFY_WITH_TIMEOUT(w.Session().ReadBackComplete(), kWaitMs);
        QTest::qWait(100);
        QCOMPARE(line.count(), beforeReopen + 4);
        // The controller still works with the unsaved 8: the window says so.
        QCOMPARE(w.SpinEdit_Offset_I->value(), 8);
        QVERIFY(w.Session().Unsaved() && w.CmdSaveToEEPROM->isEnabled());
        w.CmdSetKalibtatieMode->click();
        QTRY_VERIFY_WITH_TIMEOUT(w.CmdSet_U_actief->isEnabled(), kWaitMs);
        w.CmdSet_U_actief->click();
        QTRY_VERIFY_WITH_TIMEOUT(w.CmdSetUmin->isEnabled(), kWaitMs);
        w.CmdResCalibtatieMode->click();
        QTRY_VERIFY_WITH_TIMEOUT(!w.CmdSet_U_actief->isEnabled(), kWaitMs);
        QVERIFY(!w.CmdSetUmin->isEnabled() && !w.CmdSetImin->isEnabled());
        // Out of calibration mode, closing asks only about the unsaved value.
        const std::size_t asked = dialogs.asked.size();
        dialogs.messageAnswers = {QMessageBox::Yes};
        w.close();
        QVERIFY(!w.isVisible());
        QCOMPARE(dialogs.asked.size(), asked + 1);
        QVERIFY(!dialogs.asked.back().text.contains(QStringLiteral("calibratie mode")));
    }

    void commandsGoOutInTurnAndOnlyAcknowledgedValuesCountAsSaved()
    {
        OpenWindow open;
        auto [dialogs, line, w] = open.parts();
        enterCalibrationWithVoltage(w);

        // Two changes of one box and one of another within one exchange, then EEPROM as soon as it
        // may be pressed: every command reaches the controller, in order, one at a time.
        line.sim->setAnswerDelay(std::chrono::milliseconds(40));
        const std::size_t start = line.count();
        w.SpinEdit_Offset_U->setValue(13);
        w.SpinEdit_Offset_U->setValue(14);
        w.SpinEdit_Gain_U->setValue(11);
        QVERIFY(w.Session().Unsaved());
        QTRY_VERIFY_WITH_TIMEOUT(w.CmdSaveToEEPROM->isEnabled(), kWaitMs);
        w.CmdSaveToEEPROM->click();
        QTRY_VERIFY_WITH_TIMEOUT(w.Session().PendingCount() == 0 && !w.CmdSaveToEEPROM->isEnabled(), kWaitMs);
        QCOMPARE(line.since(start), (std::vector<std::string>{"kw 2041 13", "kw 2041 14", "kw 2042 11", "ks"}));
        QCOMPARE(w.Session().SavedValue(CalibrationVoltageOffset), 14);
        QCOMPARE(w.Session().SavedValue(CalibrationVoltageGain), 11);
        QCOMPARE(line.calibration().saved, (std::array<int32_t, 4>{14, 11, 7, -1500}));
        QVERIFY(!w.Session().Unsaved());

        // A write the controller refuses is not saved by "ks": the window keeps warning.
        line.sim->setFault(0, km4x::Fault::Refuse, true, "kw");
        w.SpinEdit_Gain_U->setValue(20);
        QTRY_COMPARE_WITH_TIMEOUT(w.Panel1->text(), QStringLiteral("er 1"), kWaitMs);
        QCOMPARE(device::TextColor(w.Panel1), QColor(Qt::red));
        QVERIFY(w.Session().Unsaved() && w.CmdSaveToEEPROM->isEnabled());
        line.sim->clearFaults();
        w.CmdSaveToEEPROM->click();
        QTRY_COMPARE_WITH_TIMEOUT(w.Panel1->text(), QStringLiteral("ks -1"), kWaitMs);
        QCOMPARE(w.Session().SavedValue(CalibrationVoltageGain), 11);
        QVERIFY(w.Session().Unsaved() && w.CmdSaveToEEPROM->isEnabled());
        // Written again and acknowledged, then saved: done.
        w.SpinEdit_Gain_U->setValue(21);
        QTRY_VERIFY_WITH_TIMEOUT(w.Session().PendingCount() == 0, kWaitMs);
        w.CmdSaveToEEPROM->click();
        QTRY_VERIFY_WITH_TIMEOUT(!w.CmdSaveToEEPROM->isEnabled(), kWaitMs);
        QCOMPARE(w.Session().SavedValue(CalibrationVoltageGain), 21);
        QVERIFY(!w.Session().Unsaved());

        // Closing with the controller in calibration mode (the voltage output selected) says so.
        // Cancel stays; No closes and sends nothing, the controller stays as it is.
        line.sim->setAnswerDelay(std::chrono::milliseconds(0));
        dialogs.messageAnswers = {QMessageBox::Cancel, QMessageBox::No};
        w.close();
        QVERIFY(w.isVisible());
        QVERIFY(dialogs.asked.back().text.contains(QStringLiteral("calibratie mode")));
        QVERIFY(!dialogs.asked.back().text.contains(QStringLiteral("EEPROM")));
        const std::size_t atClose = line.count();
        w.close();
        QVERIFY(!w.isVisible());
        QTest::qWait(100);
        QCOMPARE(line.count(), atClose);
        QVERIFY(line.calibration().mode);

        // Opened again, the window still knows; with a value on its way the question names both.
        // Yes ends calibration mode: "kf 0", then "km 0".
        w.show();
        QTRY_VERIFY_WITH_TIMEOUT(w.Session().ReadBackComplete(), kWaitMs);
        w.CmdSetKalibtatieMode->click();
        QTRY_VERIFY_WITH_TIMEOUT(w.CmdSet_U_actief->isEnabled(), kWaitMs);
        line.sim->setAnswerDelay(std::chrono::milliseconds(40));
        const std::size_t beforeEnd = line.count();
        w.SpinEdit_Offset_I->setValue(9);
        dialogs.messageAnswers = {QMessageBox::Yes};
        w.close();
        QVERIFY(!w.isVisible());
        QVERIFY(dialogs.asked.back().text.contains(QStringLiteral("EEPROM")));
        QVERIFY(dialogs.asked.back().text.contains(QStringLiteral("calibratie mode")));
        for (const QString& l : dialogs.asked.back().text.split(QStringLiteral("\r\n")))
            QVERIFY2(l.size() <= 42, qPrintable(l));
        QTRY_COMPARE_WITH_TIMEOUT(line.since(beforeEnd), (std::vector<std::string>{"kw 2043 9", "kf 0", "km 0"}), kWaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(!line.calibration().mode && line.calibration().daSelect == 0, kWaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(!w.Session().OutputHeld(), kWaitMs);
    }

    void theRealCloseQuestionTakesEnterAsEndAndCloseAndEscapeAsStay()
    {
        CalibrationLine line;
        TFormCalibratie w{&line.port};
        w.show();
        enterCalibrationWithVoltage(w);
        // Answers the question that comes up with one key, as a user would.
        const auto answerWith = [](Qt::Key key) {
            auto* press = new QTimer;
            QObject::connect(press, &QTimer::timeout, press, [press, key] {
                if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                    QTest::keyClick(box, key);
                    press->deleteLater();
                }
            });
            press->start(20);
        };
        const std::size_t atClose = line.count();
        answerWith(Qt::Key_Escape);
        w.close();
        QVERIFY(w.isVisible());
        QTest::qWait(100);
        QCOMPARE(line.count(), atClose);

        answerWith(Qt::Key_Return);
        w.close();
        QVERIFY(!w.isVisible());
        QTRY_COMPARE_WITH_TIMEOUT(line.since(atClose), (std::vector<std::string>{"kf 0", "km 0"}), kWaitMs);
    }

    void reopenedAfterUnsavedWritesTheWindowShowsWhatTheControllerHolds()
    {
        OpenWindow open;
        auto [dialogs, line, w] = open.parts();
        enterCalibrationWithVoltage(w);
        w.SpinEdit_Offset_U->setValue(30);
        QTRY_VERIFY_WITH_TIMEOUT(w.Session().PendingCount() == 0 && w.CmdSaveToEEPROM->isEnabled(), kWaitMs);
        // No: closed as it is, the write unsaved.
        dialogs.messageAnswers = {QMessageBox::No};
        w.close();
        QVERIFY(!w.isVisible());
        w.show();
        QTRY_VERIFY_WITH_TIMEOUT(w.Session().ReadBackComplete(), kWaitMs);
        QCOMPARE(w.SpinEdit_Offset_U->value(), 30);
        QVERIFY(w.Session().Unsaved());
        QVERIFY(w.CmdSaveToEEPROM->isEnabled());
        QCOMPARE(w.Session().SavedValue(CalibrationVoltageOffset), 12);
    }

    void aRefusedReadBackLeavesTheUnreadBoxesEmptyAndOutOfUse()
    {
        OpenWindow open;
        auto [dialogs, line, w] = open.parts();
        QTRY_VERIFY_WITH_TIMEOUT(w.Session().ReadBackComplete(), kWaitMs);
        w.close();

        // Older firmware answers "er 1": no box takes the 1, none keeps the earlier opening's value.
        line.sim->setFault(0, km4x::Fault::Refuse, true, "kr");
        w.show();
        QTRY_COMPARE_WITH_TIMEOUT(w.Panel1->text(), QStringLiteral("Communicatie error"), kWaitMs);
        QCOMPARE(device::TextColor(w.Panel1), QColor(Qt::red));
        QVERIFY(!w.Session().ReadBackComplete());
        for (QSpinBox* box : {w.SpinEdit_Offset_U, w.SpinEdit_Gain_U, w.SpinEdit_Offset_I, w.SpinEdit_Gain_I})
            QCOMPARE(box->text(), QString());
        // Calibration mode and the voltage output unlock the group, but not the unread boxes.
        line.sim->clearFaults();
        w.CmdSetKalibtatieMode->click();
        QTRY_VERIFY_WITH_TIMEOUT(w.CmdSet_U_actief->isEnabled(), kWaitMs);
        w.CmdSet_U_actief->click();
        QTRY_VERIFY_WITH_TIMEOUT(w.CmdSetUmin->isEnabled(), kWaitMs);
        QVERIFY(!w.SpinEdit_Offset_U->isEnabled() && !w.SpinEdit_Gain_U->isEnabled());

        // A reply of the wrong command ends the read-back in the same way; the values read before
        // it stay.
        w.CmdResCalibtatieMode->click();
        QTRY_VERIFY_WITH_TIMEOUT(!w.Session().OutputHeld(), kWaitMs);
        w.close();
        line.sim->setFault(0, km4x::Fault::WrongEchoOnce, true, "kr");
        w.show();
        QTRY_COMPARE_WITH_TIMEOUT(w.Panel1->text(), QStringLiteral("Communicatie error"), kWaitMs);
        QCOMPARE(w.SpinEdit_Offset_U->text(), QString());
        QVERIFY(!w.Session().ValueRead(CalibrationVoltageOffset));
        w.close();
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
        // The boxes not read show nothing (not a value of before) and stay out of use.
        QCOMPARE(w.SpinEdit_Gain_U->text(), QString());
        QVERIFY(w.Session().ValueRead(CalibrationVoltageOffset) && !w.Session().ValueRead(CalibrationVoltageGain));
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
