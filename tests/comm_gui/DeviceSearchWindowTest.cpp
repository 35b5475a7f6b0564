// The device search window through its controls against three simulated units at different baud
// rates and stop bits (unit numbers 0..7 only, 40 ms probes, to keep the run short): finds with
// their settings, pause, Stop/Continue, the CSV (equal to kmt40-cli's), Cancel, OK, an unplugged
// line and a port that cannot be opened.
#include "AccessibleReading.h"
#include "GuiTestMain.h"
#include "MainWindowHarness.h"
#include "SearchWindowHarness.h"
#include "ModalWindows.h"

#include "comm/forms/ApparaatZoeken.h"
#include "comm/forms/InstallSerialWindows.h"
#include "device/PanelColors.h"

#include <QComboBox>
#include <QProcess>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>

using namespace gui_test;

namespace {

km4x::UnitConfig UnitAt(int number, int baud, int stopbits)
{
    km4x::UnitConfig unit = Unit(number);
    unit.line = km4x::LineSettings{baud, km4x::Parity::Even, 8, stopbits};
    unit.serialText = "SN 00470" + std::to_string(number);
    return unit;
}

// Older firmware: "rx" is answered "er 1".
km4x::UnitConfig UnitWithoutSerialText(int number, int baud, int stopbits)
{
    km4x::UnitConfig unit = UnitAt(number, baud, stopbits);
    unit.knowsSerialText = false;
    return unit;
}

const QString Ident3 = QStringLiteral("KM40 V2.31   SW 2.31 2021-03-15   SN 004703");

QStringList Row(const TFormApparaatZoeken& w, int row)
{
    QStringList texts;
    for (int column = 0; column < 5; ++column)
        texts << (w.StringGrid1->item(row, column) ? w.StringGrid1->item(row, column)->text() : QString());
    return texts;
}

} // namespace

class DeviceSearchWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<MainWindowHarness> h;
    TFormApparaatZoeken* w = nullptr;

    void waitForPanel(const QString& text)
    {
        QTRY_COMPARE_WITH_TIMEOUT(w->PanelZoekTekst->text(), text, kWaitMs * 3);
    }

private slots:
    void init()
    {
        h = std::make_unique<MainWindowHarness>(
            std::vector<km4x::UnitConfig>{UnitAt(3, 9600, 1), UnitAt(5, 19200, 2), UnitWithoutSerialText(6, 38400, 1)}, 12, false);
        w = &ShowSearchWindow(*h, 12, 7);
    }

    void cleanup()
    {
        w = nullptr;
        h.reset();
    }

    void findsEveryUnitPausesStopsContinuesAndSavesTheCsvTheCliPrintsToo()
    {
        TFormMain& form = h->Form();
        QCOMPARE(w->windowTitle(), QStringLiteral("Device search"));
        QCOMPARE(w->PanelZoekTekst->text(), QString());
        QVERIFY(!w->CmdOK->isEnabled());
        w->RB_stopbits_auto->click();
        w->CmdStartZoeken->click();
        QVERIFY(form.ZBComm1.Active());

        waitForPanel(QStringLiteral("Device found!"));
        QCOMPARE(Row(*w, 0), (QStringList{QStringLiteral("03"), Ident3, QStringLiteral("9600"), QStringLiteral("Even"),
                                          QStringLiteral("1")}));
        QVERIFY(w->CmdOK->isEnabled() && w->CmdVerder->isEnabled() && w->CmdStartZoeken->isEnabled());
        QVERIFY(!w->CmdBackupAll->isEnabled()); // not while the search is paused on this port
        QCOMPARE(device::Background(w->Panel_parity_E), device::PolledColor);
        QCOMPARE(device::Background(w->Panel_stopbits_1), device::PolledColor);
        QCOMPARE(w->PanelApparaatNo->text(), QStringLiteral("3"));
        QCOMPARE(w->PanelBaudtare->text(), QStringLiteral("9600 bit/s"));
        // A screen reader hears each indicator's name and what it shows.
        for (QLabel* panel : {w->PanelApparaatNo, w->PanelBaudtare, w->PanelZoekTekst}) {
            const AccessibleReading reading = ReadAccessible(w, panel);
            QVERIFY2(!reading.name.isEmpty() && reading.name != panel->text(), qPrintable(panel->objectName()));
            QCOMPARE(reading.value, panel->text());
        }

        // Stop while a probe is outstanding: stopped after its time-out; Continue goes on.
        w->CmdVerder->click();
        w->CmdStop->click();
        waitForPanel(QStringLiteral("Stopped."));
        QVERIFY(w->CmdVerder->isEnabled());
        w->CmdVerder->click();
        waitForPanel(QStringLiteral("Device found!"));
        QCOMPARE(Row(*w, 1).mid(2), (QStringList{QStringLiteral("19200"), QStringLiteral("Even"), QStringLiteral("2")}));
        QCOMPARE(device::Background(w->Panel_stopbits_2), device::PolledColor);
        w->CmdVerder->click();
        waitForPanel(QStringLiteral("Device found!"));
        // It refused "rx" and is listed all the same, that text empty (the CLI lists it too, below).
        QCOMPARE(Row(*w, 2).mid(0, 2),
                 (QStringList{QStringLiteral("06"), QStringLiteral("KM40 V2.31   SW 2.31 2021-03-15   ")}));
        w->CmdVerder->click();
        waitForPanel(QStringLiteral("Search finished."));
        QVERIFY(!w->CmdStop->isEnabled() && !w->CmdVerder->isEnabled());
        QCOMPARE(w->Search().ProbeCount(), 5 * 8 * 2);
        // The main window kept quiet while the search had the line: no "sc 12" of its own.
        for (const std::string& request : h->Requests())
            QVERIFY2(request != "sc 12", "the main window selected its unit during the search");

        const QString csvPath = h->Dir().File(QStringLiteral("found.csv"));
        h->dialogs.saveFileAnswers.push_back(csvPath);
        w->CmdSaveCsv->click();
        QFile csv(csvPath);
        QVERIFY(csv.open(QIODevice::ReadOnly));
        const QByteArray saved = csv.readAll();
        QVERIFY2(saved.startsWith("unit,identification,baud,parity,stopbits\n03," + Ident3.toLatin1() + ",9600,Even,1\n"),
                 saved.constData());
        QCOMPARE(saved.count('\n'), 4);
        QVERIFY2(saved.endsWith("\n06,KM40 V2.31   SW 2.31 2021-03-15   ,38400,Even,1\n"), saved.constData());

        // Cancel: the port closes with the settings it had when the window opened.
        w->CmdCancel->click();
        QVERIFY(!w->isVisible());
        QVERIFY(!form.ZBComm1.Active());
        QCOMPARE(form.ZBComm1.Baudrate(), TBaudrate::br9600);
        QCOMPARE(form.ZBComm1.FrameStopbits(), TStopBit::sb_1);

        // kmt40-cli beside the same application.ini ([Poorten] maps COM1 to the simulator).
        const QString cli = h->Dir().File(QStringLiteral("kmt40-cli"));
        QVERIFY(QFile::copy(QStringLiteral(KMT40_CLI_PATH), cli));
        QFile::setPermissions(cli, QFile::ExeOwner | QFile::ReadOwner | QFile::WriteOwner);
        QProcess process;
        process.start(cli, {QStringLiteral("--port"), QStringLiteral("COM1"), QStringLiteral("search"),
                            QStringLiteral("--auto-stopbits"), QStringLiteral("--last-unit"), QStringLiteral("7")});
        QVERIFY(process.waitForFinished(120000));
        QCOMPARE(process.exitCode(), 0);
        QCOMPARE(process.readAllStandardOutput(), saved);
        // No unit among 0..2: exit status 1, the header alone on standard output.
        process.start(cli, {QStringLiteral("--port"), QStringLiteral("COM1"), QStringLiteral("search"),
                            QStringLiteral("--last-unit"), QStringLiteral("2")});
        QVERIFY(process.waitForFinished(120000));
        QCOMPARE(process.exitCode(), 1);
        QCOMPARE(process.readAllStandardOutput(), QByteArray("unit,identification,baud,parity,stopbits\n"));
        QVERIFY(process.readAllStandardError().contains("no unit answered"));
    }

    void okHandsTheFoundUnitAndSettingsToTheMainWindow()
    {
        TFormMain& form = h->Form();
        w->RB_stopbits_auto->click();
        w->ComboBaudRate->setCurrentIndex(1); // 19200
        w->CmdStartZoeken->click();
        waitForPanel(QStringLiteral("Device found!"));
        // A row without a find: OK does nothing.
        w->StringGrid1->setCurrentCell(10, 0);
        w->CmdOK->click();
        QVERIFY(w->isVisible());
        w->StringGrid1->setCurrentCell(0, 0);
        w->CmdOK->click();
        QVERIFY(!w->isVisible());
        QCOMPARE(form.SpinEditUnitSelect->value(), 5);
        QVERIFY(!form.ZBComm1.Active());
        QCOMPARE(form.ZBComm1.Baudrate(), TBaudrate::br19200);
        QCOMPARE(form.ZBComm1.FrameStopbits(), TStopBit::sb_2);
        QCOMPARE(form.ZBComm1.FrameParitybit(), TParityBit::Even);
    }

    void cancelPutsTheParityBackToo()
    {
        TFormMain& form = h->Form();
        w->RB_parity_auto->click();
        w->ComboBaudRate->setCurrentIndex(2); // 28800
        w->CmdStartZoeken->click();
        w->CmdStop->click();
        waitForPanel(QStringLiteral("Stopped."));
        QCOMPARE(form.ZBComm1.FrameParitybit(), TParityBit::None);
        QCOMPARE(form.ZBComm1.Baudrate(), TBaudrate::br28800);
        w->CmdCancel->click();
        QVERIFY(!form.ZBComm1.Active());
        QCOMPARE(form.ZBComm1.FrameParitybit(), TParityBit::Even);
        QCOMPARE(form.ZBComm1.Baudrate(), TBaudrate::br9600);
        QCOMPARE(form.ZBComm1.FrameStopbits(), TStopBit::sb_1);
    }

    void everyFindIsKeptBeyondTheDesignRows()
    {
        TFoundDevice device;
        for (int unit = 0; unit < TFormApparaatZoeken::DesignDataRows + 2; ++unit) {
            device.Unit = unit % 32;
            w->Search().OnFound(device);
        }
        QCOMPARE(w->StringGrid1->rowCount(), TFormApparaatZoeken::DesignDataRows + 2);
        QCOMPARE(w->FoundRows().size(), std::size_t(TFormApparaatZoeken::DesignDataRows + 2));
        QCOMPARE(w->FoundRows().back()[0], std::string("00")); // unit 32 % 32
        // A new search starts with the design rows again.
        w->ClearStringGrid();
        QCOMPARE(w->StringGrid1->rowCount(), TFormApparaatZoeken::DesignDataRows);
    }

    void anUnpluggedLineEndsTheSearchWithOneMessage()
    {
        w->CmdStartZoeken->click();
        QTRY_VERIFY_WITH_TIMEOUT(h->Sim().requestCount() >= 3, kWaitMs);
        h->Sim().closeLine();
        QTRY_COMPARE_WITH_TIMEOUT(h->dialogs.count(FakeDialogs::Kind::Message), 1, kWaitMs);
        QCOMPARE(h->dialogs.asked[0].caption, QStringLiteral("Comm Error"));
        QVERIFY2(h->dialogs.asked[0].text.contains(QString::fromStdString(h->Sim().devicePath())),
                 qPrintable(h->dialogs.asked[0].text));
        QTest::qWait(400);
        QCOMPARE(h->dialogs.asked.size(), std::size_t(1));
        QVERIFY(w->CmdStartZoeken->isEnabled());
        QVERIFY(!h->Form().ZBComm1.Active());
    }

    void aWindowOverThePausedSearchKeepsTheErrorPollOff()
    {
        TFormMain& form = h->Form();
        w->CmdStartZoeken->click();
        waitForPanel(QStringLiteral("Device found!"));
        // A modal window of the search's own (as its file dialogs are): the line is still the
        // search's, at its settings, so the main window's error poll must not ask the found unit.
        QDialog over(w);
        over.setModal(true);
        over.show();
        QTRY_VERIFY(QApplication::activeModalWidget() == &over);
        form.Timer1Timer();
        QTest::qWait(300);
        for (const std::string& request : h->Requests(true))
            QVERIFY2(request != "rf", "the error poll ran over the search's dialog");
        QVERIFY(form.PanelErrorNo->text().isEmpty());
    }

    // Start and Continue double-clicked, and the main window's error poll due, each within one
    // probe's exchange: every probe once, in order, one search, one row per unit.
    void aSecondClickOrTickWithinAProbeSendsNothingTwice()
    {
        TFormMain& form = h->Form();
        h->Sim().clearLog();
        // A double click's second press comes once the first click has been handled.
        QTest::mouseClick(w->CmdStartZoeken, Qt::LeftButton);
        QTest::mouseClick(w->CmdStartZoeken, Qt::LeftButton);
        form.Timer1Timer();
        waitForPanel(QStringLiteral("Device found!"));
        QTest::mouseClick(w->CmdVerder, Qt::LeftButton);
        QTest::mouseClick(w->CmdVerder, Qt::LeftButton);
        form.Timer1Timer();
        QTRY_VERIFY_WITH_TIMEOUT(h->Requests(true).size() >= 11, kWaitMs);
        w->CmdStop->click();
        waitForPanel(QStringLiteral("Stopped."));
        const std::vector<std::string> sent = h->Requests(true);
        const std::vector<std::string> atTheFirstRate{"sc 0", "sc 1", "sc 2", "sc 3", "rt", "rh", "rx",
                                                      "sc 4", "sc 5", "sc 6", "sc 7"};
        QCOMPARE(std::vector<std::string>(sent.begin(), sent.begin() + 11), atTheFirstRate);
        QVERIFY(std::find(sent.begin(), sent.end(), std::string("rf")) == sent.end());
        QCOMPARE(w->StringGrid1->item(0, 0)->text(), QStringLiteral("03"));
        QVERIFY(!w->StringGrid1->item(1, 0) || w->StringGrid1->item(1, 0)->text().isEmpty());
        QCOMPARE(w->Search().Found().size(), std::size_t(1));
    }

    void aLineLostDuringTheSearchIsReportedOnceFromTheMenuToo()
    {
        // Through the main menu, which closes the port for the search and opens it afterwards.
        w->hide();
        auto pull = modal_windows::When(QStringLiteral("FormApparaatZoeken"), [](QWidget*) { return true; },
                                        [&](QWidget*) {
                                            w->CmdStartZoeken->click();
                                            if (QTest::qWaitFor([&] { return h->Sim().requestCount() >= 3; }, kWaitMs))
                                                h->Sim().closeLine();
                                            if (QTest::qWaitFor([&] { return !h->dialogs.asked.empty(); }, kWaitMs))
                                                w->CmdCancel->click();
                                        },
                                        kWaitMs * 3);
        h->Form().KM40zoeken1Click();
        QVERIFY(pull->acted && !pull->expired);
        QCOMPARE(h->dialogs.asked.size(), std::size_t(1));
        QCOMPARE(h->dialogs.asked[0].caption, QStringLiteral("Comm Error"));
        QVERIFY(!h->Form().ZBComm1.Active());
        // A search that opens nothing on a line still gone: the main window says so, once.
        auto cancel = modal_windows::ClickWhenEnabled(QStringLiteral("FormApparaatZoeken"), QStringLiteral("CmdCancel"), kWaitMs);
        h->Form().KM40zoeken1Click();
        QVERIFY(cancel->acted);
        QCOMPARE(h->dialogs.asked.size(), std::size_t(2));
        QVERIFY(h->dialogs.asked[1].text.contains(QStringLiteral("no such device")));
        // Plugged in again, the next search's Cancel opens the line as before.
        QVERIFY(h->Sim().reopenLine());
        cancel = modal_windows::ClickWhenEnabled(QStringLiteral("FormApparaatZoeken"), QStringLiteral("CmdCancel"), kWaitMs);
        h->Form().KM40zoeken1Click();
        QVERIFY(h->Form().ZBComm1.Active());
        QCOMPARE(h->dialogs.asked.size(), std::size_t(2));
    }

    void aPortThatCannotOpenIsReportedOnce()
    {
        SetPortDevicePath(TPort::COM1, "/nonexistent/kmt40-no-such-tty");
        w->CmdStartZoeken->click();
        QCOMPARE(h->dialogs.count(FakeDialogs::Kind::Error), 1);
        QVERIFY(h->dialogs.asked[0].text.contains(QStringLiteral("no such device")));
        QVERIFY(w->CmdStartZoeken->isEnabled());
        QVERIFY(!w->CmdStop->isEnabled());
    }
};

KMT40_GUI_TEST_MAIN(DeviceSearchWindowTest)
#include "DeviceSearchWindowTest.moc"
