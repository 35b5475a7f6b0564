// kmt40 --simulate as the program starts it once its main window exists: the simulated unit on
// COM1 (a pseudo-terminal on Linux, a loopback port on Windows) and the title saying so; the
// window opens it, identifies the unit and shows its moving live values, and does so again after
// the port was closed and opened again. Afterwards COM1 is what it was.
#include "FakeDialogs.h"
#include "GuiTestMain.h"
#include "TempProgramDir.h"

#include "app/KM40Main.h"
#include "app/SimulatedLine.h"
#include "app/core/Global_var.h"
#include "comm/PortNames.h"

#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

namespace {
constexpr int kWaitMs = 20000; // only a hang reaches it
}

class SimulatedLineTest : public QObject {
    Q_OBJECT

private slots:
    void theProgramOpensTheSimulatedUnitIdentifiesItAndShowsLiveValues()
    {
        TempProgramDir dir;
        FakeDialogs dialogs;
        FakeDialogs::Installed installed(dialogs);
        Global_var.Reset();
        {
            TFormMain form(dir.Path());
            form.SpinEditUnitSelect->setValue(6);
            const QString title = form.windowTitle();
            std::unique_ptr<SimulatedLine> line = StartSimulatedLine(form);
            QVERIFY(line);
            QCOMPARE(QString::fromStdString(PortDevicePath(TPort::COM1)), QString::fromStdString(line->DevicePath()));
            QCOMPARE(form.windowTitle(), title + QStringLiteral(" - ") + QString::fromStdString(line->Description()));
            QVERIFY(form.windowTitle().contains(QStringLiteral("simulated controller on COM1")));
#ifdef Q_OS_WIN
            QVERIFY2(line->DevicePath().rfind("tcp://127.0.0.1:", 0) == 0, line->DevicePath().c_str());
            QVERIFY(form.windowTitle().contains(QString::fromStdString(line->DevicePath())));
#endif
            for (int opening = 1; opening <= 2; ++opening) {
                QTest::mouseClick(form.CmdSelectUnit, Qt::LeftButton);
                QVERIFY(form.ZBComm1.Active());
                QTRY_COMPARE_WITH_TIMEOUT(form.StatusPanelText(4), QStringLiteral("SN 004706"), kWaitMs);
                QCOMPARE(form.StatusPanelText(2), QStringLiteral("KM40 V2.31"));

                // The simulated axis swings: the position shown moves.
                QTest::mouseClick(form.CmdActual, Qt::LeftButton);
                QTRY_VERIFY_WITH_TIMEOUT(!form.PanelActPos->text().trimmed().isEmpty(), kWaitMs);
                const QString first = form.PanelActPos->text();
                QTRY_VERIFY_WITH_TIMEOUT(form.PanelActPos->text() != first, kWaitMs);
                QTRY_VERIFY_WITH_TIMEOUT(!form.PanelSnelheid->text().trimmed().isEmpty(), kWaitMs);
                QTest::mouseClick(form.CmdActual, Qt::LeftButton);

                QTest::mouseClick(form.CmdSelectUnit, Qt::LeftButton);
                QTRY_VERIFY_WITH_TIMEOUT(!form.ZBComm1.Active(), kWaitMs);
            }
            line.reset();
            QCOMPARE(QString::fromStdString(PortDevicePath(TPort::COM1)),
                     QString::fromStdString(DefaultPortDevicePath(TPort::COM1)));
            form.close();
        }
        QCOMPARE(dialogs.count(FakeDialogs::Kind::Error), 0);
        Global_var.Reset();
    }
};

KMT40_GUI_TEST_MAIN(SimulatedLineTest)
#include "SimulatedLineTest.moc"
