// The serial settings window through its controls, on the main window's port: the lists of the
// language file, the port and I/O coupling, what OK stores and opens, an unreachable port, and the
// assignment of a device to a port name, kept in [Poorten] across a restart - also for a by-id
// name whose adapter moves to another socket; the fast end of reply on the Extended page, kept in
// [Serieel] across a restart; a network port typed into the device field, opened through a real
// ser2net, named in the status bar and kept in [Poorten].
#include "GuiTestMain.h"
#include "MainWindowHarness.h"

#include "app/core/IniFile.h"
#include "comm/forms/InitSerial.h"
#include "comm/forms/InstallSerialWindows.h"
#include "Ser2NetServer.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>

using namespace gui_test;

namespace {

// A /dev and /sys of the test's own for the device list.
struct FakeDevices {
    QTemporaryDir dir;
    TDiscoveryRoots roots;
    QString byId;

    FakeDevices()
    {
        roots.Dev = (dir.path() + QStringLiteral("/dev")).toStdString();
        roots.Sys = (dir.path() + QStringLiteral("/sys")).toStdString();
        QDir(dir.path()).mkpath(QStringLiteral("dev/serial/by-id"));
        QDir(dir.path()).mkpath(QStringLiteral("sys"));
        byId = dir.path() + QStringLiteral("/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A12345-if00-port0");
    }
    // The adapter is plugged into a socket: its by-id name points at that socket's tty.
    void plugInto(const std::string& tty) const
    {
        QFile::remove(byId);
        QFile::link(QString::fromStdString(tty), byId);
    }
};

void choose(QComboBox* combo, int index)
{
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

} // namespace

class InitSerialWindowTest : public QObject {
    Q_OBJECT

private slots:
    void listsFollowThePortAndOkStoresAndOpens()
    {
        MainWindowHarness h({Unit(12)}, 12, false);
        h.Dir().Copy(QStringLiteral("Taal1.ini"));
        h.WriteSettings(12, 1);
        TFormMain& form = h.CreateForm();
        InstallSerialWindows(form);
        TFormInitSerial& w = *FormInitSerial;
        h.ClickOpenClose();
        QVERIFY(form.ZBComm1.Active());

        form.ZBComm1.Close();
        form.ZBComm1.SetBaudrate(TBaudrate::br115200);
        w.show();
        // Opening the window takes the device offline; every list has the language file's items.
        QVERIFY(!form.ZBComm1.Active());
        QCOMPARE(form.StatusPanelText(1), QStringLiteral("Offline"));
        QCOMPARE(w.ComboPoort->count(), 16);
        QCOMPARE(w.ComboBaud->currentIndex(), -1); // 115200 is not in the list
        QCOMPARE(w.ComboParity->currentText(), QStringLiteral("Even"));
        QCOMPARE(w.ComboHardware->currentIndex(), Ordinal(form.ZBComm1.Hardware()));
        QVERIFY(!w.ComboHardware->isEnabled());
        // The fast end of reply is off unless chosen, and it is the one extended setting offered.
        QVERIFY(!w.CheckFastReplyEnd->isChecked());
        QVERIFY(w.CheckFastReplyEnd->isEnabled());
        QVERIFY(w.CheckFastReplyEnd->text().startsWith(QStringLiteral("Fast end of reply")));
        QVERIFY(w.CheckFastReplyEnd->toolTip().contains(QStringLiteral("terminal")));
        // Each port name shows the device it opens here.
        QCOMPARE(w.ComboPoort->itemText(0), QStringLiteral("COM 1 \u2014 ") + QString::fromStdString(h.Sim().devicePath()));
        QCOMPARE(w.ComboPoort->itemText(2), QStringLiteral("COM 3 \u2014 /dev/ttyS2"));
        QCOMPARE(w.ComboBaud->accessibleName(), QStringLiteral("Baud rate:"));

        choose(w.ComboPoort, 2);
        QCOMPARE(w.Combo_IO->currentText(), QStringLiteral("03E8 - 03EF"));
        choose(w.ComboPoort, 6);
        QCOMPARE(w.Combo_IO->currentIndex(), -1);

        // Cancel: nothing stored, the device stays offline.
        w.CheckFastReplyEnd->click();
        w.CmdCancel->click();
        QVERIFY(!w.isVisible());
        QVERIFY(!form.ZBComm1.Active());
        QCOMPARE(form.ZBComm1.PortName(), TPort::COM1);
        QVERIFY(!form.ZBComm1.FastReplyEnd());

        // OK with no baud rate selected keeps 115200 (a list without selection changes nothing);
        // the chosen parity is stored and the port opens, so the controller is identified.
        w.show();
        choose(w.ComboParity, 0);
        form.ZBComm1.SetBaudrate(TBaudrate::br9600); // the unit's rate, as set before the window
        w.ComboBaud->setCurrentIndex(-1);
        w.CmdOK->click();
        QVERIFY(!w.isVisible());
        QVERIFY(form.ZBComm1.Active());
        QCOMPARE(form.ZBComm1.Baudrate(), TBaudrate::br9600);
        QCOMPARE(form.ZBComm1.FrameParitybit(), TParityBit::None);
    }

    void aMissingOrBusyPortKeepsTheWindowOpenWithOneMessageEach()
    {
        MainWindowHarness h({Unit(12)}, 12);
        h.Dir().Copy(QStringLiteral("Taal0.ini"));
        h.WriteSettings(12, 0, "COM2=/nonexistent/kmt40-no-such-tty\r\n");
        TFormMain& form = h.CreateForm();
        InstallSerialWindows(form);
        TFormInitSerial& w = *FormInitSerial;
        w.show();
        choose(w.ComboPoort, 1);
        w.CmdOK->click();
        QCOMPARE(h.dialogs.count(FakeDialogs::Kind::Error), 1);
        QVERIFY2(h.dialogs.asked[0].text.contains(QStringLiteral("no such device")), qPrintable(h.dialogs.asked[0].text));
        QVERIFY(w.isVisible());
        QVERIFY(!form.ZBComm1.Active());
        // The settings are stored all the same.
        QCOMPARE(form.ZBComm1.PortName(), TPort::COM2);

        // A port another program holds: said so, the window stays; once it is free OK works.
        {
            TZBComm otherProgram;
            otherProgram.Open(); // COM1, the simulator
            choose(w.ComboPoort, 0);
            w.CmdOK->click();
            QCOMPARE(h.dialogs.count(FakeDialogs::Kind::Error), 2);
            QVERIFY2(h.dialogs.asked[1].text.contains(QStringLiteral("in use")), qPrintable(h.dialogs.asked[1].text));
            QVERIFY(w.isVisible());
        }
        w.CmdOK->click();
        QVERIFY(!w.isVisible());
        QVERIFY(form.ZBComm1.Active());
        QCOMPARE(h.dialogs.count(FakeDialogs::Kind::Error), 2);
    }

    void anAssignedByIdNameIsKeptAndFollowsTheAdapterToAnotherSocket()
    {
        MainWindowHarness h({Unit(12)}, 12);
        h.Dir().Copy(QStringLiteral("Taal1.ini"));
        h.WriteSettings(12, 1);
        km4x::Simulator otherSocket(Options({Unit(12)}));
        FakeDevices devices;
        devices.plugInto(h.Sim().devicePath());

        TFormMain& form = h.CreateForm();
        InstallSerialWindows(form);
        // A mapping made while running (as --simulate makes one) must not reach the file.
        SetPortDevicePath(TPort::COM5, "/dev/pts/999");
        TFormInitSerial& w = *FormInitSerial;
        w.SetDiscoveryRoots(devices.roots);
        w.show();
        choose(w.ComboPoort, 1);
        const int byIdItem = w.ComboApparaat->findData(devices.byId);
        QVERIFY(byIdItem > 0);
        QVERIFY2(w.ComboApparaat->itemText(byIdItem).contains(QStringLiteral("FTDI FT232R USB UART A12345")),
                 qPrintable(w.ComboApparaat->itemText(byIdItem)));
        choose(w.ComboApparaat, byIdItem);
        QCOMPARE(w.ComboPoort->itemText(1), QStringLiteral("COM 2 \u2014 ") + devices.byId);
        w.PageControl1->setCurrentWidget(w.TabSheet2);
        w.CheckFastReplyEnd->click();
        w.CmdOK->click();
        QVERIFY(form.ZBComm1.Active());
        QVERIFY(form.ZBComm1.FastReplyEnd());
        QTRY_VERIFY_WITH_TIMEOUT(!form.StatusPanelText(4).isEmpty(), kWaitMs);

        form.close(); // saves application.ini
        TIniFile ini;
        ini.LoadFromFile(h.Dir().File(QStringLiteral("application.ini")).toStdString());
        QCOMPARE(QString::fromStdString(ini.ReadString("Poorten", "COM2", "")), devices.byId);
        QCOMPARE(QString::fromStdString(ini.ReadString("Poorten", "COM1", "")), QString::fromStdString(h.Sim().devicePath()));
        QVERIFY(!ini.ValueExists("Poorten", "COM5"));
        QCOMPARE(ini.ReadInteger("Serieel", "portname", -1), 1);
        QVERIFY(ini.ReadBool("Serieel", "fast_reply_end", false));

        // Replugged into another socket: the same name now reaches the other tty.
        devices.plugInto(otherSocket.devicePath());
        TFormMain& again = h.CreateForm();
        QCOMPARE(QString::fromStdString(again.ZBComm1.DevicePath()), devices.byId);
        QVERIFY(again.ZBComm1.FastReplyEnd());
        h.ClickOpenClose();
        QVERIFY(again.ZBComm1.Active());
        QTRY_VERIFY_WITH_TIMEOUT(otherSocket.requestCount() >= 4, kWaitMs);
    }

    void aTypedNetworkPortIsOpenedShownAndKept()
    {
        MainWindowHarness h({Unit(12)}, 12);
        h.Dir().Copy(QStringLiteral("Taal1.ini"));
        h.WriteSettings(12, 1);
        testsupport::Ser2NetServer server(h.Sim().devicePath());
        if (testsupport::Ser2NetProgram().empty())
            QSKIP("ser2net is not installed (scripts/setup.sh installs it)");
        QVERIFY2(server.Ready(), qPrintable(QString::fromStdString(server.Log())));
        const QString url = QString::fromStdString(server.Rfc2217Url());

        TFormMain& form = h.CreateForm();
        InstallSerialWindows(form);
        TFormInitSerial& w = *FormInitSerial;
        w.SetDiscoveryRoots(FakeDevices().roots);
        w.show();
        choose(w.ComboPoort, 2);
        // Typed into the device field, as a user types it; the port name then shows it.
        w.ComboApparaat->lineEdit()->selectAll();
        QTest::keyClicks(w.ComboApparaat->lineEdit(), url);
        emit w.ComboApparaat->lineEdit()->editingFinished();
        QCOMPARE(w.ComboPoort->itemText(2), QStringLiteral("COM 3 \u2014 ") + url);
        QCOMPARE(w.ComboApparaat->currentText(), url);
        // Another port name and back: the typed device is still there.
        choose(w.ComboPoort, 3);
        choose(w.ComboPoort, 2);
        QCOMPARE(w.ComboApparaat->currentText(), url);
        w.CmdOK->click();
        QVERIFY(!w.isVisible());
        QVERIFY(form.ZBComm1.Active());
        // The status bar names the network port; the controller answers through the server.
        QCOMPARE(form.StatusPanelText(0), QStringLiteral("COM 3: ") + url);
        QTRY_VERIFY_WITH_TIMEOUT(h.Sim().requestCount() >= 4, kWaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(!form.StatusPanelText(4).isEmpty(), kWaitMs);

        form.close(); // saves application.ini
        TIniFile ini;
        ini.LoadFromFile(h.Dir().File(QStringLiteral("application.ini")).toStdString());
        QCOMPARE(QString::fromStdString(ini.ReadString("Poorten", "COM3", "")), url);
        TFormMain& again = h.CreateForm();
        QCOMPARE(QString::fromStdString(again.ZBComm1.DevicePath()), url);
    }
};

KMT40_GUI_TEST_MAIN(InitSerialWindowTest)
#include "InitSerialWindowTest.moc"
