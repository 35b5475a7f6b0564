// Every line fault struck during each exchange of the calibration window: the read-back ("kr",
// struck at its second code), calibration mode on ("km 1"), the output select ("kf 1"), a
// reference value ("ka"), an offset write ("kw") and the store in EEPROM ("ks"). Each cell gets a
// fresh window on a fresh simulated controller, brought to where the operation is possible; the
// fast end of reply keeps the exchanges short.
//
// What each cell holds to:
// - the operation ends (no command of the window waiting or under way) within a bound;
// - one report: the window's red status text ("Timeout!" for a missing reply), no box, and no
//   second report after it;
// - the controls of the step stay usable, and nothing is unlocked that the controller did not
//   confirm (a failed "kw" or "ks" leaves the values unsaved and EEPROM enabled);
// - neither of the window's components has a request left in the port's queue;
// - after the fault is healed and the port opened again (a pulled line plugged in again), the same
//   operation succeeds and the controller holds what was sent.
// The window writes no file, so the file column does not apply.
#include "FakeDialogs.h"
#include "FaultCellChecks.h"
#include "GuiTestMain.h"
#include "LineFaultMatrix.h"
#include "SimulatorFixture.h"

#include "device/PanelColors.h"
#include "views/Calibratie.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include <functional>
#include <iostream>

namespace {

// The window's own time-out (the library's 100 ms) at both settings.
constexpr std::chrono::milliseconds FirstByteTimeout{100};
const std::array<int32_t, 4> ControllerValues{12, 10, 7, 5};

// One cell's window on its own simulated controller.
struct Bench {
    FakeDialogs dialogs;
    FakeDialogs::Installed use{dialogs};
    SimulatorOnPty line;
    TZBComm port;
    LineFaultInjector inject{line.sim()};
    TFormCalibratie window{&port};
    int offsetWritten = 20; // the next offset the kw step writes

    explicit Bench(ReplyEnd end)
    {
        line->withUnit(0, [](km4x::ControllerUnit& unit) { unit.calibration.values = unit.calibration.saved = ControllerValues; });
        port.SetBaudrate(TBaudrate::br38400);
        port.SetFastReplyEnd(end == ReplyEnd::Fast);
        port.Open();
    }
    ~Bench() { window.hide(); }

    km4x::CalibrationState controller()
    {
        km4x::CalibrationState state;
        line->withUnit(0, [&](km4x::ControllerUnit& unit) { state = unit.calibration; });
        return state;
    }
    bool idle() { return window.Session().PendingCount() == 0; }
    bool statusRed() const { return device::TextColor(window.Panel1) == QColor(Qt::red); }
    std::string status() const { return window.Panel1->text().toStdString(); }

    // The steps a technician takes before the operation; false when one did not get through.
    bool readBack()
    {
        window.show();
        return WaitUntil([&] { return window.Session().ReadBackComplete() && idle(); });
    }
    bool modeOn()
    {
        window.CmdSetKalibtatieMode->click();
        return WaitUntil([&] { return window.CmdSet_U_actief->isEnabled() && idle(); });
    }
    bool voltageSelected()
    {
        window.CmdSet_U_actief->click();
        return WaitUntil([&] { return window.CmdSetUmin->isEnabled() && idle(); });
    }
    bool currentSelected()
    {
        window.CmdSet_I_actief->click();
        return WaitUntil([&] { return window.CmdSetImax->isEnabled() && idle(); });
    }
    bool offsetWrittenOnce()
    {
        window.SpinEdit_Offset_U->setValue(offsetWritten);
        return WaitUntil([&] { return window.CmdSaveToEEPROM->isEnabled() && idle(); });
    }
};

struct Row {
    const char* operation;
    const char* letters; // the requests the fault strikes
    int skip;            // matching requests let through first
    std::function<bool(Bench&)> prepare;
    std::function<void(Bench&)> act;
    // After a failure: what must still be usable, and what must not have been taken as done.
    std::function<void(Bench&, std::vector<std::string>&)> checkFailed;
    std::function<void(Bench&, std::vector<std::string>&)> checkSucceeded;
};

void ExpectEnabled(std::initializer_list<QWidget*> controls, std::vector<std::string>& problems)
{
    for (QWidget* control : controls)
        Expect(control->isEnabled(), control->objectName().toStdString() + " disabled", problems);
}

std::vector<Row> Rows()
{
    return {
        {"calibration: read-back (kr)", "kr", 1, [](Bench&) { return true; },
         [](Bench& b) {
             b.window.hide(); // opened again as a user would
             b.window.show();
         },
         [](Bench& b, std::vector<std::string>& problems) {
             TCalibrationSession& s = b.window.Session();
             Expect(s.ValueRead(CalibrationVoltageOffset) && !s.ValueRead(CalibrationVoltageGain) && !s.ReadBackComplete(),
                    "the read-back went past the struck code", problems);
             Expect(b.window.SpinEdit_Gain_U->text().isEmpty(), "an unread box shows a value", problems);
             ExpectEnabled({b.window.CmdSetKalibtatieMode, b.window.CmdResCalibtatieMode}, problems);
         },
         [](Bench& b, std::vector<std::string>& problems) {
             TCalibrationSession& s = b.window.Session();
             Expect(s.ReadBackComplete(), "read-back incomplete", problems);
             for (int code = CalibrationVoltageOffset; code <= CalibrationCurrentGain; ++code)
                 Expect(s.BoxValue(code) == ControllerValues[static_cast<std::size_t>(code - CalibrationVoltageOffset)],
                        "code " + std::to_string(code) + " read as " + std::to_string(s.BoxValue(code)), problems);
         }},
        {"calibration: mode on (km 1)", "km", 0, [](Bench& b) { return b.readBack(); },
         [](Bench& b) { b.window.CmdSetKalibtatieMode->click(); },
         [](Bench& b, std::vector<std::string>& problems) {
             Expect(!b.window.CmdSet_U_actief->isEnabled(), "DA select unlocked without a reply", problems);
             ExpectEnabled({b.window.CmdSetKalibtatieMode, b.window.CmdResCalibtatieMode}, problems);
         },
         [](Bench& b, std::vector<std::string>& problems) {
             Expect(b.window.CmdSet_U_actief->isEnabled() && b.controller().mode, "mode not on", problems);
         }},
        {"calibration: output select (kf 1)", "kf", 0, [](Bench& b) { return b.readBack() && b.modeOn(); },
         [](Bench& b) { b.window.CmdSet_U_actief->click(); },
         [](Bench& b, std::vector<std::string>& problems) {
             Expect(!b.window.CmdSetUmin->isEnabled(), "voltage group unlocked without a reply", problems);
             ExpectEnabled({b.window.CmdSet_U_actief, b.window.CmdSet_I_actief, b.window.CmdSet_I_InActief,
                            b.window.CmdResCalibtatieMode},
                           problems);
         },
         [](Bench& b, std::vector<std::string>& problems) {
             Expect(b.window.CmdSetUmin->isEnabled() && b.controller().daSelect == 1, "voltage not selected", problems);
         }},
        {"calibration: reference value (ka)", "ka", 0,
         [](Bench& b) { return b.readBack() && b.modeOn() && b.voltageSelected(); },
         [](Bench& b) { b.window.CmdSetUmin->click(); },
         [](Bench& b, std::vector<std::string>& problems) {
             ExpectEnabled({b.window.CmdSetUmin, b.window.CmdSetUmax, b.window.CmdSet_I_InActief}, problems);
         },
         [](Bench& b, std::vector<std::string>& problems) {
             Expect(b.status() == "ka -100000" && b.controller().reference == -100000,
                    "reference " + std::to_string(b.controller().reference), problems);
         }},
        {"calibration: current reference (ka)", "ka", 0,
         [](Bench& b) { return b.readBack() && b.modeOn() && b.currentSelected(); },
         [](Bench& b) { b.window.CmdSetImax->click(); },
         [](Bench& b, std::vector<std::string>& problems) {
             ExpectEnabled({b.window.CmdSetImin, b.window.CmdSetImax, b.window.CmdSet_I_InActief}, problems);
         },
         [](Bench& b, std::vector<std::string>& problems) {
             Expect(b.status() == "ka " + std::to_string(b.controller().reference) && b.controller().reference != 0,
                    "status '" + b.status() + "', reference " + std::to_string(b.controller().reference), problems);
         }},
        {"calibration: mode off (km 0)", "km", 0, [](Bench& b) { return b.readBack() && b.modeOn(); },
         [](Bench& b) { b.window.CmdResCalibtatieMode->click(); },
         [](Bench& b, std::vector<std::string>& problems) {
             // Without word from the controller it may still be calibrating: switching off stays offered.
             ExpectEnabled({b.window.CmdResCalibtatieMode, b.window.CmdSetKalibtatieMode}, problems);
         },
         [](Bench& b, std::vector<std::string>& problems) {
             Expect(!b.controller().mode && !b.window.CmdSet_U_actief->isEnabled(), "mode not off", problems);
         }},
        {"calibration: write offset (kw)", "kw", 0,
         [](Bench& b) { return b.readBack() && b.modeOn() && b.voltageSelected(); },
         [](Bench& b) { b.window.SpinEdit_Offset_U->setValue(++b.offsetWritten); },
         [](Bench& b, std::vector<std::string>& problems) {
             Expect(b.window.Session().Unsaved() && b.window.CmdSaveToEEPROM->isEnabled(),
                    "a failed write not left unsaved", problems);
             ExpectEnabled({b.window.SpinEdit_Offset_U, b.window.SpinEdit_Gain_U}, problems);
         },
         [](Bench& b, std::vector<std::string>& problems) {
             Expect(b.controller().values[0] == b.offsetWritten && b.window.CmdSaveToEEPROM->isEnabled(),
                    "offset " + std::to_string(b.controller().values[0]), problems);
         }},
        {"calibration: store in EEPROM (ks)", "ks", 0,
         [](Bench& b) { return b.readBack() && b.modeOn() && b.voltageSelected() && b.offsetWrittenOnce(); },
         [](Bench& b) { b.window.CmdSaveToEEPROM->click(); },
         [](Bench& b, std::vector<std::string>& problems) {
             Expect(b.window.Session().Unsaved(), "a failed store taken as saved", problems);
             ExpectEnabled({b.window.CmdSaveToEEPROM, b.window.SpinEdit_Offset_U}, problems);
         },
         [](Bench& b, std::vector<std::string>& problems) {
             Expect(!b.window.Session().Unsaved() && !b.window.CmdSaveToEEPROM->isEnabled() &&
                        b.controller().saved[0] == b.offsetWritten,
                    "not saved", problems);
         }},
    };
}

std::vector<std::string> RunCell(const Row& row, LineFault fault, ReplyEnd end)
{
    std::vector<std::string> problems;
    Bench b(end);
    if (!row.prepare(b))
        return {"the steps before the operation failed"};
    b.inject.Arm(fault, 0, FirstByteTimeout, row.letters, row.skip);
    row.act(b);
    if (!WaitUntil([&] { return b.idle(); }))
        problems.push_back("no end");
    // When the window has its outcome, the port holds nothing of it.
    Expect(b.port.QueuedRequestsOf(&b.window.Session().KT750Kalibratie) == 0 &&
               b.port.QueuedRequestsOf(&b.window.Session().KT750LeesKalibratieWaarden) == 0,
           "a request left in the queue at the end", problems);
    if (!b.inject.Struck())
        problems.push_back("the fault never struck");
    if (LineFaultFails(fault)) {
        const std::string reported = b.status();
        QTest::qWait(150); // a late reply or a second error would show now
        Expect(b.statusRed(), "status '" + b.status() + "' not red", problems);
        Expect(b.status() == reported, "a second report '" + b.status() + "' after '" + reported + "'", problems);
        const bool timedOut = fault == LineFault::Silent || fault == LineFault::JustOutside;
        Expect(!timedOut || b.status() == "Timeout!", "status '" + b.status() + "' for a missing reply", problems);
        Expect(!b.status().empty() && b.status().find('\0') == std::string::npos && b.status().find('\xFF') == std::string::npos,
               "status unreadable", problems);
        row.checkFailed(b, problems);
    } else {
        Expect(!b.statusRed(), "red status '" + b.status() + "'", problems);
        row.checkSucceeded(b, problems);
    }
    Expect(b.dialogs.asked.empty(), std::to_string(b.dialogs.asked.size()) + " boxes", problems);

    // Healed; a pulled line is plugged in again and the port opened again.
    if (!b.inject.Heal(b.line))
        problems.push_back("the line could not be plugged in again");
    if (fault == LineFault::Unplugged) {
        b.port.Close();
        b.port.Open();
    }
    row.act(b);
    std::vector<std::string> again;
    if (!WaitUntil([&] { return b.idle(); }))
        again.push_back("no end");
    Expect(!b.statusRed(), "red status '" + b.status() + "'", again);
    row.checkSucceeded(b, again);
    for (const std::string& problem : again)
        problems.push_back("after healing: " + problem);
    return problems;
}

} // namespace

class CalibrationFaultMatrixTest : public QObject {
    Q_OBJECT

private slots:
    void shipped() { everyLineFaultInEveryExchange(ReplyEnd::Shipped); }
    void fastEnd() { everyLineFaultInEveryExchange(ReplyEnd::Fast); }

private:
    static void everyLineFaultInEveryExchange(ReplyEnd end)
    {
        FaultMatrixReport report(std::string("calibration window, ") + ReplyEndName(end));
        for (const Row& row : Rows())
            for (LineFault fault : AllLineFaults)
                report.RunCell(row.operation, fault, [&] { return RunCell(row, fault, end); });
        report.Print(std::cout);
        QVERIFY(report.AllPassed());
    }
};

KMT40_GUI_TEST_MAIN(CalibrationFaultMatrixTest)
#include "CalibrationFaultMatrixTest.moc"
