// Renders the main window in Dutch, English and German, connected to a simulated controller that
// reports an error, into main-nl.png, main-en.png and main-de.png in the given directory, and its
// options, about and error-help windows into options-<lang>.png, about-<lang>.png and
// error-help-<lang>.png, its open Communicatie menu into menu-<lang>.png, and the program's icon
// into kmt40.png (copy it to packaging/).
// Run under Xvfb: xvfb-run -a build/bin/main_window_screenshots docs/screenshots
#include "ScreenshotMain.h"
#include "SimulatedProgram.h"
#include "TempProgramDir.h"
#include "app/About.h"
#include "app/InfoErrorNummers.h"
#include "app/KM40Main.h"
#include "app/Opties.h"
#include "app/ShellWindows.h"
#include "app/core/Global_var.h"
#include "comm/PortNames.h"
#include "comm/qt/QtUiDispatcher.h"

#include <Simulator.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <cstdio>

namespace {


bool render(const QString& outputDir, int languageIndex, const char* code)
{
    km4x::Simulator simulator(OneSimulatedUnit());
    simulator.setErrorNumber(0, 12);

    TempProgramDir dir({QStringLiteral("Taal0.ini"), QStringLiteral("Taal1.ini"), QStringLiteral("Taal2.ini"),
                        QStringLiteral("Parameters.txt"), QStringLiteral("ParNo.txt"), QStringLiteral("ErrorHelp0.rtf"),
                        QStringLiteral("ErrorHelp1.rtf"), QStringLiteral("ErrorHelp2.rtf")});
    WriteSimulatorSettings(dir, languageIndex, simulator.devicePath());

    Global_var.Reset();
    bool ok = false;
    {
        TFormMain form(dir.Path());
        form.show();
        QTest::mouseClick(form.CmdSelectUnit, Qt::LeftButton);
        ok = WaitFor([&] { return !form.StatusPanelText(4).isEmpty(); });
        form.Timer1Timer();
        ok = ok && WaitFor([&] { return !form.PanelErrorNo->text().isEmpty(); });
        form.EditZenden->setText(QStringLiteral("rt"));
        QTest::mouseClick(form.CmdTerminalZenden, Qt::LeftButton);
        ok = ok && WaitFor([&] { return !form.MemoReceive->toPlainText().isEmpty(); });
        QTest::qWait(200);
        const QString path = QDir(outputDir).filePath(QStringLiteral("main-%1.png").arg(QLatin1String(code)));
        ok = ok && form.grab().save(path);
        std::printf("%s: %s\n", qPrintable(path), ok ? "written" : "FAILED");
        // The Communicatie menu, open: its separators are plain lines.
        QMenu* menu = form.Zendenenontvangen1;
        menu->popup(form.mapToGlobal(QPoint(40, 20)));
        QTest::qWait(200);
        const QString menuPath = QDir(outputDir).filePath(QStringLiteral("menu-%1.png").arg(QLatin1String(code)));
        ok = menu->grab().save(menuPath) && ok;
        menu->close();
        std::printf("%s: %s\n", qPrintable(menuPath), ok ? "written" : "FAILED");

        InstallShellWindows(form);
        const auto shoot = [&](QWidget& window, const char* name) {
            QTest::qWait(100);
            const QString file = QDir(outputDir).filePath(QStringLiteral("%1-%2.png").arg(QLatin1String(name), QLatin1String(code)));
            const bool saved = window.grab().save(file);
            std::printf("%s: %s\n", qPrintable(file), saved ? "written" : "FAILED");
            window.hide();
            return saved;
        };
        FormOpties->show();
        ok = shoot(*FormOpties, "options") && ok;
        FormAbout->show();
        ok = shoot(*FormAbout, "about") && ok;
        FormInfoErrorNummers->show();
        ok = shoot(*FormInfoErrorNummers, "error-help") && ok;
        form.ZBComm1.Close();
    }
    ClearPortDevicePaths();
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    return ScreenshotMain(argc, argv, [](const QString& outputDir) {
        // The desktop icon of packaging/ is the About window's logo.
        bool ok = KmtLogo(128).save(QDir(outputDir).filePath(QStringLiteral("kmt40.png")));
        ok = render(outputDir, 0, "nl") && ok;
        ok = render(outputDir, 1, "en") && ok;
        return render(outputDir, 2, "de") && ok;
    });
}
