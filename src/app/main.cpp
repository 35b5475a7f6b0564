// kmt40: one copy per user; the main window first, the simulated controller when asked for.
#include "app/CloseOnSignal.h"
#include "app/KM40Main.h"
#include "app/KmtApplication.h"
#include "app/ShellWindows.h"
#include "app/SimulatedLine.h"
#include "app/SingleInstance.h"
#include "app/StartOptions.h"
#include "app/core/Global_var.h"
#include "app/core/StartHelp.h"
#include "comm/forms/InstallSerialWindows.h"
#include "comm/qt/QtUiDispatcher.h"
#include "params/EditorWindows.h"
#include "params/MainParamCommands.h"
#include "views/PrintoutWindows.h"
#include "views/Calibratie.h"
#include "views/ViewWindows.h"

#include <iostream>
#include <memory>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    if (const auto information = StartInformation(std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc))) {
        std::cout << *information;
        return 0;
    }
    KmtApplication app(argc, argv);
    // The main window's closing ends the program, also while a modeless window is open.
    app.setQuitOnLastWindowClosed(false);

    // Looked for before this copy shows anything, so it never finds itself.
    SingleInstance single(QString::fromLatin1(ApplicationTitle));
    if (single.AnotherCopyRuns())
        return 0;

    QtUiDispatcher dispatcher;
    UiDispatcher::SetDefault(&dispatcher);

    const StartOptions options = ParseStartOptions(app.arguments());
    std::unique_ptr<SimulatedLine> simulated; // outlives the window, whose port talks to it
    TFormMain formMain({}, options.arguments);
    InstallTransferCommands(formMain);
    InstallEditorWindows(formMain);
    InstallPrintoutWindows(formMain);
    InstallShellWindows(formMain);
    InstallSerialWindows(formMain);
    InstallCalibration(formMain);
    InstallViewWindows(formMain);
    if (options.simulate)
        simulated = StartSimulatedLine(formMain);

    single.SetWindow(&formMain);
    CloseOnSignal closeOnSignal(&formMain);
    QObject::connect(&formMain, &TFormMain::Closed, &app, &QCoreApplication::quit);
    formMain.show();
    const int result = app.exec();
    return result;
}
