// The live polls of the main window against the simulator: actual values as parameters 246 and
// 388 choose them, the thumbwheel chain, the input and output lamps and data words, switching off
// with replies under way, a silent controller, replies that do not repeat their command, and the
// editor stopping every poll.
#include "GuiTestMain.h"
#include "MainWindowHarness.h"

#include "device/PanelColors.h"

#include <ControllerUnit.h>

#include <QFrame>

#include <algorithm>

using namespace gui_test;

namespace {

bool Contains(const std::vector<std::string>& requests, const std::string& text)
{
    return std::find(requests.begin(), requests.end(), text) != requests.end();
}

long Count(const std::vector<std::string>& requests, const std::string& text)
{
    return std::count(requests.begin(), requests.end(), text);
}

} // namespace

class MainWindowLivePollsTest : public QObject {
    Q_OBJECT

private:
    static TFormMain& OpenConnected(MainWindowHarness& h)
    {
        TFormMain& form = h.CreateForm();
        h.ClickOpenClose();
        [&] { QTRY_VERIFY_WITH_TIMEOUT(!Panel(form, 4).isEmpty(), kWaitMs); }();
        h.Sim().clearLog();
        return form;
    }

private slots:
    void actualValuesFollowTheParametersAndSurviveSilence()
    {
        MainWindowHarness h;
        h.Sim().withUnit(12, [](km4x::ControllerUnit& unit) {
            unit.frozenLive = km4x::LiveValues{12345, -5, 12345, 40000, 777};
        });
        TFormMain& form = OpenConnected(h);
        ParameterValues[203] = 2;
        ParameterValues[246] = 0;
        ParameterValues[388] = 1;

        QTest::mouseClick(form.CmdActual, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(form.PanelActPos->text(), QStringLiteral("123,45"), kWaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(form.PanelSpanning->text(), QStringLiteral("1,2345 V"), kWaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(form.PanelSnelheid->text(), QStringLiteral("-0,05"), kWaitMs);
        QCOMPARE(device::Background(form.PanelActPos), device::PolledColor);
        QCOMPARE(device::Background(form.PanelStroom), device::NeutralColor(&form));
        QCOMPARE(form.PanelStroom->text(), QString());
        QCOMPARE(form.PanelActPosLin->text(), QString());
        QVERIFY(form.CmdActual->text() != QStringLiteral("ACTUAL-ON"));
        // Cyclic: every polled value is asked again and again, the others never.
        QTRY_VERIFY_WITH_TIMEOUT(Count(h.Requests(), "r2") >= 3, kWaitMs);
        const std::vector<std::string> requests = h.Requests();
        QVERIFY(Contains(requests, "r0") && Contains(requests, "r1"));
        QVERIFY(!Contains(requests, "r8") && !Contains(requests, "r3"));

        // A silent controller: "?" in the panels while the requests go on.
        h.Sim().setFault(12, km4x::Fault::Silent, true);
        QTRY_COMPARE_WITH_TIMEOUT(form.PanelActPos->text(), QStringLiteral("?"), kWaitMs);
        h.Sim().clearLog();
        QTRY_VERIFY_WITH_TIMEOUT(h.Requests().size() >= 4, kWaitMs);
        h.Sim().clearFaults();
        QTRY_COMPARE_WITH_TIMEOUT(form.PanelActPos->text(), QStringLiteral("123,45"), kWaitMs);

        // A reply that does not repeat its command is a failed request: "?", not its value.
        h.Sim().setFault(12, km4x::Fault::WrongEchoAlways, true, "r1");
        QTRY_COMPARE_WITH_TIMEOUT(form.PanelSnelheid->text(), QStringLiteral("?"), kWaitMs);
        QCOMPARE(form.PanelActPos->text(), QStringLiteral("123,45"));
        h.Sim().clearFaults();
        QTRY_COMPARE_WITH_TIMEOUT(form.PanelSnelheid->text(), QStringLiteral("-0,05"), kWaitMs);

        // Switching off with requests under way (slow replies): the cleared panels stay empty.
        h.Sim().setAnswerDelay(std::chrono::milliseconds(60));
        QTest::mouseClick(form.CmdActual, Qt::LeftButton);
        QCOMPARE(form.CmdActual->text(), QStringLiteral("ACTUAL-ON"));
        QVERIFY(!ActualPolling);
        QTest::qWait(400);
        for (QLabel* panel : {form.PanelActPos, form.PanelSnelheid, form.PanelSpanning}) {
            QCOMPARE(panel->text(), QString());
            QCOMPARE(device::Background(panel), device::NeutralColor(&form));
        }
        h.Sim().clearLog();
        QTest::qWait(300);
        QCOMPARE(h.Requests().size(), std::size_t{0});

        // Parameter 246 = 1 and 388 = 2: the linearised position and the current instead.
        h.Sim().setAnswerDelay(std::chrono::milliseconds(0));
        ParameterValues[246] = 1;
        ParameterValues[248] = 1;
        ParameterValues[388] = 2;
        QTest::mouseClick(form.CmdActual, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(form.PanelStroom->text(), QStringLiteral("4,0000 mA"), kWaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(form.PanelActPosLin->text(), QStringLiteral("77,7"), kWaitMs);
        QCOMPARE(form.PanelSpanning->text(), QString());
    }

    void thumbwheelChainCyclesAndGoesOnAfterAFailedStep()
    {
        MainWindowHarness h;
        TFormMain& form = OpenConnected(h);
        ParameterValues[203] = 1;
        h.Sim().withUnit(12, [](km4x::ControllerUnit& unit) { unit.thumbwheels = {10, -20, 500, 7}; });

        QTest::mouseClick(form.CmdDuimwiel, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(form.Panel_DW[3]->text(), QStringLiteral("0,7"), kWaitMs);
        QCOMPARE(form.Panel_DW[2]->text(), QStringLiteral("50,0"));
        QCOMPARE(form.Panel_DW[1]->text(), QStringLiteral("-2,0"));
        QCOMPARE(ThumbwheelValues, (TThumbwheelValues{10, -20, 500, 7}));
        QTRY_VERIFY_WITH_TIMEOUT(h.Requests().size() >= 6, kWaitMs);
        std::vector<std::string> first = h.Requests();
        first.resize(6);
        QCOMPARE(first, (std::vector<std::string>{"rd 1", "rd 2", "rd 3", "rd 4", "rd 1", "rd 2"}));
        QCOMPARE(device::Background(form.Panel_DW[0]), device::PolledColor);

        // A failed step shows "?" and the chain goes on: a silent controller gets every thumbwheel
        // asked again and again, and when it answers again the values come back.
        h.Sim().setFault(12, km4x::Fault::Silent, true);
        QTRY_VERIFY_WITH_TIMEOUT(std::all_of(form.Panel_DW.begin(), form.Panel_DW.end(),
                                             [](QLabel* p) { return p->text() == QStringLiteral("?"); }),
                                 kWaitMs);
        h.Sim().clearLog();
        QTRY_VERIFY_WITH_TIMEOUT(h.Requests().size() >= 5, kWaitMs);
        QVERIFY(ThumbwheelPolling);
        QCOMPARE(ThumbwheelValues, (TThumbwheelValues{10, -20, 500, 7})); // a failure is no value
        // A reply of the wrong command is a failed step too; the others go on being read.
        h.Sim().clearFaults();
        h.Sim().withUnit(12, [](km4x::ControllerUnit& unit) { unit.thumbwheels = {11, -20, 500, 8}; });
        h.Sim().setFault(12, km4x::Fault::WrongEchoAlways, true, "rd");
        h.Sim().clearLog();
        QTRY_VERIFY_WITH_TIMEOUT(h.Requests().size() >= 5, kWaitMs);
        QCOMPARE(form.Panel_DW[0]->text(), QStringLiteral("?"));
        h.Sim().clearFaults();
        QTRY_COMPARE_WITH_TIMEOUT(form.Panel_DW[3]->text(), QStringLiteral("0,8"), kWaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(form.Panel_DW[0]->text(), QStringLiteral("1,1"), kWaitMs);

        // Twice the button: the chain starts again at thumbwheel 1.
        QTest::mouseClick(form.CmdDuimwiel, Qt::LeftButton);
        QCOMPARE(form.Panel_DW[0]->text(), QString());
        QTest::qWait(100); // the exchange under way when the chain stopped ends
        h.Sim().clearLog();
        QTest::mouseClick(form.CmdDuimwiel, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!h.Requests().empty(), kWaitMs);
        QCOMPARE(h.Requests().front(), std::string("rd 1"));
    }

    void lampsAndDataWordsFollowTheReplies()
    {
        MainWindowHarness h;
        TFormMain& form = OpenConnected(h);
        h.Sim().withUnit(12, [](km4x::ControllerUnit& unit) {
            unit.inputs = 65;
            unit.outputs = 256;
            unit.dataIn = 4660;
            unit.dataOut = -3;
        });
        QTest::mouseClick(form.CmdInUit, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(device::Background(form.TbUitgang[8]), device::LampOnColor, kWaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(device::Background(form.TB_K0), device::LampOnColor, kWaitMs);
        QCOMPARE(device::Background(form.Tb_in[5]), device::LampOnColor);
        for (int i = 0; i < 5; ++i)
            QCOMPARE(device::Background(form.Tb_in[static_cast<std::size_t>(i)]), device::LampOffColor);
        for (int i = 0; i < 8; ++i)
            QCOMPARE(device::Background(form.TbUitgang[static_cast<std::size_t>(i)]), device::LampOffColor);
        QTRY_COMPARE_WITH_TIMEOUT(form.PanelData_IO_in->text(), QStringLiteral("4660"), kWaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(form.PanelData_IO_uit->text(), QStringLiteral("-3"), kWaitMs);

        // The lamps follow a change.
        h.Sim().withUnit(12, [](km4x::ControllerUnit& unit) { unit.inputs = 2; });
        QTRY_COMPARE_WITH_TIMEOUT(device::Background(form.Tb_in[0]), device::LampOnColor, kWaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(device::Background(form.TB_K0), device::LampOffColor, kWaitMs);

        // While "ri" fails the input lamps are neutral, not a state of before; the output lamps
        // go on. Its recovery does not blank the controller's error number.
        const QColor neutral = device::NeutralColor(&form);
        h.Sim().setFault(12, km4x::Fault::Silent, true, "ri");
        QTRY_COMPARE_WITH_TIMEOUT(device::Background(form.Tb_in[0]), neutral, kWaitMs);
        QCOMPARE(device::Background(form.TB_K0), neutral);
        QCOMPARE(form.PanelComInfo->text(), QStringLiteral("TIMEOUT-TEXT"));
        QCOMPARE(device::Background(form.TbUitgang[8]), device::LampOnColor);
        h.Sim().setErrorNumber(12, 5);
        form.Timer1Timer(); // one error poll; the timer itself is off in these tests
        QTRY_VERIFY_WITH_TIMEOUT(!form.PanelErrorNo->text().isEmpty(), kWaitMs);
        const QString errorNumber = form.PanelErrorNo->text();
        h.Sim().clearFaults();
        QTRY_COMPARE_WITH_TIMEOUT(device::Background(form.Tb_in[0]), device::LampOnColor, kWaitMs);
        QCOMPARE(form.PanelErrorNo->text(), errorNumber);
        // "ru" failing, or answered by another command: the output lamps go neutral. A data word
        // answered by another command shows "?".
        h.Sim().setFault(12, km4x::Fault::WrongEchoAlways, true, "ru");
        QTRY_COMPARE_WITH_TIMEOUT(device::Background(form.TbUitgang[8]), neutral, kWaitMs);
        QCOMPARE(device::Background(form.TbUitgang[0]), neutral);
        h.Sim().clearFaults();
        QTRY_COMPARE_WITH_TIMEOUT(device::Background(form.TbUitgang[8]), device::LampOnColor, kWaitMs);
        h.Sim().setFault(12, km4x::Fault::Silent, true, "ru");
        QTRY_COMPARE_WITH_TIMEOUT(device::Background(form.TbUitgang[8]), neutral, kWaitMs);
        h.Sim().setFault(12, km4x::Fault::WrongEchoAlways, true, "ra");
        QTRY_COMPARE_WITH_TIMEOUT(form.PanelData_IO_in->text(), QStringLiteral("?"), kWaitMs);
        h.Sim().clearFaults();
        QTRY_COMPARE_WITH_TIMEOUT(device::Background(form.TbUitgang[8]), device::LampOnColor, kWaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(form.PanelData_IO_in->text(), QStringLiteral("4660"), kWaitMs);

        QTest::mouseClick(form.CmdInUit, Qt::LeftButton);
        QCOMPARE(form.CmdInUit->text(), QStringLiteral("IO-ON"));
        QCOMPARE(device::Background(form.TbUitgang[8]), device::NeutralColor(&form));
        QCOMPARE(form.PanelData_IO_in->text(), QString());
    }

    void openingTheEditorStopsEveryPoll()
    {
        MainWindowHarness h;
        TFormMain& form = OpenConnected(h);
        for (QPushButton* button : {form.CmdActual, form.CmdDuimwiel, form.CmdInUit})
            QTest::mouseClick(button, Qt::LeftButton);
        // All polls share the line: every thumbwheel still gets its turn.
        QTRY_VERIFY_WITH_TIMEOUT(!form.Panel_DW[3]->text().isEmpty(), kWaitMs);
        QVERIFY(!form.PanelActPos->text().isEmpty() && !form.PanelData_IO_uit->text().isEmpty());

        std::size_t requestsWhileOpen = 99;
        form.Windows.ParameterEditor = [&] {
            QTest::qWait(100); // the exchange under way when the polls stopped may still end
            h.Sim().clearLog();
            QTest::qWait(400);
            requestsWhileOpen = h.Requests().size();
        };
        form.Par11->trigger();
        QCOMPARE(requestsWhileOpen, std::size_t{0});
        QVERIFY(!ActualPolling && !IoPolling && !ThumbwheelPolling);
        QCOMPARE(form.CmdActual->text(), QStringLiteral("ACTUAL-ON"));
        QCOMPARE(form.CmdDuimwiel->text(), QStringLiteral("DW-ON"));
        QCOMPARE(form.CmdInUit->text(), QStringLiteral("IO-ON"));
        QCOMPARE(form.PanelActPos->text(), QString());

        // Closing the port also ends the polls.
        for (QPushButton* button : {form.CmdActual, form.CmdInUit})
            QTest::mouseClick(button, Qt::LeftButton);
        h.ClickOpenClose();
        QVERIFY(!ActualPolling && !IoPolling);
        QVERIFY(!form.CmdActual->isEnabled());
    }

    void anUnpluggedLineIsSaidOnceClosesThePortAndOpensAgainWhenBack()
    {
        MainWindowHarness h;
        TFormMain& form = OpenConnected(h);
        for (QPushButton* button : {form.CmdActual, form.CmdDuimwiel, form.CmdInUit})
            QTest::mouseClick(button, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!form.PanelActPos->text().isEmpty() && !form.Panel_DW[0]->text().isEmpty(), kWaitMs);

        h.Sim().closeLine();
        QTRY_VERIFY_WITH_TIMEOUT(!form.ZBComm1.Active(), kWaitMs);
        QVERIFY(!ActualPolling && !IoPolling && !ThumbwheelPolling);
        QTest::qWait(300);
        QCOMPARE(h.dialogs.count(FakeDialogs::Kind::Error), 1);
        QCOMPARE(h.dialogs.count(FakeDialogs::Kind::Message), 0);
        const QString said = h.dialogs.asked.back().text;
        QVERIFY2(said.contains(QStringLiteral("COM 1")) || said.contains(QStringLiteral("COM1")), qPrintable(said));
        QCOMPARE(form.PanelComInfo->text(), said);
        QVERIFY(!form.CmdActual->isEnabled());

        // Plugged in again: Open works as before.
        QVERIFY(h.Sim().reopenLine());
        SetPortDevicePath(TPort::COM1, h.Sim().devicePath());
        h.ClickOpenClose();
        QVERIFY(form.ZBComm1.Active());
        QTRY_VERIFY_WITH_TIMEOUT(!Panel(form, 4).isEmpty(), kWaitMs);
        QTest::mouseClick(form.CmdActual, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!form.PanelActPos->text().isEmpty() && form.PanelActPos->text() != "?", kWaitMs);
        QCOMPARE(h.dialogs.count(FakeDialogs::Kind::Error), 1);
    }
};

KMT40_GUI_TEST_MAIN(MainWindowLivePollsTest)
#include "MainWindowLivePollsTest.moc"
