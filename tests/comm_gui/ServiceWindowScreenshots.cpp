// Renders the serial settings window, the device search window (after a search that found two
// units) and its line backup of them, the library's setup dialog and the calibration window, each against the simulator, into
// PNG files in the given directory.
// Run under Xvfb: xvfb-run -a build/bin/service_window_screenshots docs/screenshots
#include "ScreenshotMain.h"
#include "TempProgramDir.h"
#include "app/KM40Main.h"
#include "app/core/Global_var.h"
#include "comm/PortNames.h"
#include "comm/forms/ApparaatZoeken.h"
#include "comm/forms/InitSerial.h"
#include "comm/forms/InstallSerialWindows.h"
#include "comm/forms/ZBSetupForm.h"
#include "params/LijnBackup.h"
#include "views/Calibratie.h"

#include <Simulator.h>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

namespace {

bool save(QWidget& window, const QString& outputDir, const QString& name)
{
    QTest::qWait(200);
    const QString path = QDir(outputDir).filePath(name);
    const bool ok = window.grab().save(path);
    std::printf("%s: %s\n", qPrintable(path), ok ? "written" : "FAILED");
    return ok;
}

km4x::UnitConfig unitAt(int number, int baud, int stopbits)
{
    km4x::UnitConfig unit;
    unit.number = number;
    unit.line = km4x::LineSettings{baud, km4x::Parity::Even, 8, stopbits};
    return unit;
}

bool render(const QString& outputDir)
{
    km4x::SimulatorOptions options;
    options.units = {unitAt(3, 9600, 1), unitAt(5, 19200, 2)};
    km4x::Simulator simulator(options);
    TempProgramDir dir({QStringLiteral("Taal1.ini"), QStringLiteral("Parameters.txt"), QStringLiteral("ParNo.txt")});
    dir.Write(QStringLiteral("application.ini"),
              "[Serieel]\r\nbaudrate=3\r\nparity=1\r\nhardware=0\r\ntransmitdrv=0\r\nunit_no=3\r\n[Opties]\r\nTaal=1\r\n"
              "[Poorten]\r\nCOM1=" + QByteArray::fromStdString(simulator.devicePath()) +
                  "\r\nCOM3=rfc2217://10.0.0.5:4001\r\n");
    // A machine with one USB adapter, as the device list shows it.
    QTemporaryDir devices;
    QDir(devices.path()).mkpath(QStringLiteral("dev/serial/by-id"));
    QFile::link(QString::fromStdString(simulator.devicePath()),
                devices.path() + QStringLiteral("/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A12345-if00-port0"));

    Global_var.Reset();
    bool ok = true;
    TFormMain form(dir.Path());
    InstallSerialWindows(form);
    InstallCalibration(form);

    TDiscoveryRoots roots;
    roots.Dev = (devices.path() + QStringLiteral("/dev")).toStdString();
    roots.Sys = (devices.path() + QStringLiteral("/sys")).toStdString();
    FormInitSerial->SetDiscoveryRoots(roots);
    FormInitSerial->show();
    ok = save(*FormInitSerial, outputDir, QStringLiteral("serial-settings-en.png")) && ok;
    // COM3 reaches its line through a serial device server on the network.
    FormInitSerial->ComboPoort->setCurrentIndex(2);
    emit FormInitSerial->ComboPoort->activated(2);
    ok = save(*FormInitSerial, outputDir, QStringLiteral("serial-settings-network-en.png")) && ok;
    FormInitSerial->ComboPoort->setCurrentIndex(0);
    FormInitSerial->PageControl1->setCurrentWidget(FormInitSerial->TabSheet2);
    ok = save(*FormInitSerial, outputDir, QStringLiteral("serial-settings-extended-en.png")) && ok;
    FormInitSerial->CmdCancel->click();

    TFormApparaatZoeken& search = *FormApparaatZoeken;
    TDeviceSearch::TOptions narrow;
    narrow.HighestUnit = 5;
    narrow.ProbeTimeoutMs = 40;
    search.Search().SetOptions(narrow);
    search.show();
    search.RB_stopbits_auto->click();
    search.CmdStartZoeken->click();
    ok = WaitFor([&] { return search.CmdVerder->isEnabled(); }) && ok;
    search.CmdVerder->click();
    const bool foundBoth = WaitFor([&] { return search.FoundRows().size() == 2 && search.CmdVerder->isEnabled(); });
    search.StringGrid1->setCurrentCell(1, 0);
    ok = save(search, outputDir, QStringLiteral("device-search-en.png")) && foundBoth && ok;

    // "Back up all..." of the two units found (each at its own baud rate), as it ends; a search
    // that did not find them leaves nothing worth showing.
    if (foundBoth) {
        QTemporaryDir backupFolder;
        form.ZBComm1.SetFastReplyEnd(true);
        TFormLijnBackup backup(form.ZBComm1, backupFolder.path(),
                               LineTargetsOfFound(search.Search().Found(), form.ZBComm1.FrameDatabits()), &search);
        backup.show();
        ok = WaitFor([&] { return backup.CmdOK->isEnabled(); }, 60000) && ok;
        ok = save(backup, outputDir, QStringLiteral("line-backup-en.png")) && ok;
        backup.close();
        form.ZBComm1.SetFastReplyEnd(false);
    } else {
        std::printf("the search did not find both units: no line-backup-en.png\n");
    }
    search.CmdCancel->click();

    TZBSetupCommForm setup(1);
    setup.SetPort(&form.ZBComm1);
    setup.show();
    ok = save(setup, outputDir, QStringLiteral("setup-dialog-en.png")) && ok;
    setup.PageControl->setCurrentIndex(1);
    ok = save(setup, outputDir, QStringLiteral("setup-dialog-extended-en.png")) && ok;
    setup.close();

    km4x::UnitConfig calibrated = unitAt(0, 38400, 1);
    options.units = {calibrated};
    km4x::Simulator calibrationUnit(options);
    SetPortDevicePath(TPort::COM1, calibrationUnit.devicePath());
    form.ZBComm1.SetBaudrate(TBaudrate::br38400);
    form.SpinEditUnitSelect->setValue(0);
    form.ZBComm1.Open();
    ok = WaitFor([&] { return !form.StatusPanelText(4).isEmpty(); }) && ok;
    TFormCalibratie& calibration = *FormCalibratie;
    calibration.show();
    ok = WaitFor([&] { return calibration.Session().ReadBackComplete(); }) && ok;
    calibration.CmdSetKalibtatieMode->click();
    ok = WaitFor([&] { return calibration.CmdSet_U_actief->isEnabled(); }) && ok;
    calibration.CmdSet_U_actief->click();
    ok = WaitFor([&] { return calibration.CmdSetUmin->isEnabled(); }) && ok;
    ok = save(calibration, outputDir, QStringLiteral("calibration.png")) && ok;
    calibration.Session().SendCommand("km 0");
    ok = WaitFor([&] { return !calibration.CmdSet_U_actief->isEnabled(); }) && ok;
    calibration.close();
    form.ZBComm1.Close();
    ClearPortDevicePaths();
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    return ScreenshotMain(argc, argv, render);
}
