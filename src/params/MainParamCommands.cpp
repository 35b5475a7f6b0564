#include "params/MainParamCommands.h"

#include <QDir>
#include <QMessageBox>

#include <span>

#include "app/Dialogs.h"
#include "app/KM40Main.h"
#include "params/FileDialogs.h"
#include "params/FileErrorBox.h"
#include "params/Latin1Text.h"
#include "params/LeesParSoll.h"
#include "params/ParLoader.h"
#include "params/SchrijfParSoll.h"
#include "params/core/BackupFile.h"

namespace {

constexpr int ReadEverythingMode = 2;
constexpr int WholeDeviceMode = 3;

std::span<const int32_t, 48> SetpointsOf(const TSetpointValues& Setpoints)
{
    return std::span<const int32_t, 48>(Setpoints.data() + 1, 48);
}

} // namespace

bool ReceiveParametersAndSetpoints(TFormLeesParSoll& Window, TParameterValues& Parameters, TSetpointValues& Setpoints)
{
    if (!Window.Execute(ReadEverythingMode))
        return false;
    Parameters = Window.ReadParameters();
    Setpoints = Window.ReadSetpoints();
    return true;
}

void BackupKM40(TFormLeesParSoll& Window, QWidget* Parent, Dialogs& Dialogs)
{
    if (!Window.Execute(WholeDeviceMode))
        return;
    const std::string caption = LanguageLoaded ? LanguageFile.ReadString("BackupRestore", "SaveCaption", "") : "";
    const std::string filter =
        LanguageLoaded ? LanguageFile.ReadString("BackupRestore", "OpenFilter", "*.bak") : std::string("*.bak");
    const QString path = AskSaveFileName(Dialogs, Parent, caption, filter, QStringLiteral("bak"));
    if (path.isEmpty())
        return; // the values read are dropped
    const TFileResult saved = SaveBackupFile(LocalPath(path), Window.ReadParameters(), SetpointsOf(Window.ReadSetpoints()));
    if (!saved.Ok())
        ReportFileError(saved, "BackupRestore", "", Parent, Dialogs);
}

void RestoreKM40(TFormSchrijfParSoll& Window, QWidget* Parent, Dialogs& Dialogs)
{
    const std::string caption = LanguageLoaded ? LanguageFile.ReadString("BackupRestore", "OpenCaption", "") : "";
    const std::string filter = LanguageLoaded
        ? LanguageFile.ReadString("BackupRestore", "OpenFilter", "ASCII Parameterbestand (*.bak)|*.bak")
        : std::string("ASCII Parameterbestand (*.bak)|*.bak");
    const QString path = AskOpenFileName(Dialogs, Parent, caption, filter);
    if (path.isEmpty())
        return;

    TParameterValues parameters{};
    TSetpointValues setpoints{};
    const TFileResult loaded =
        LoadBackupFile(LocalPath(path), parameters, std::span<int32_t, 48>(setpoints.data() + 1, 48));
    if (!loaded.Ok()) {
        ReportFileError(loaded, "BackupRestore", "", Parent, Dialogs);
        return;
    }
    Window.SetParameters(parameters);
    Window.SetSetpoints(setpoints);

    // Without a language file the warning has no text, and nothing is written unasked.
    if (!LanguageLoaded)
        return;
    const QString warning = Latin1(LanguageFile.ReadString("BackupRestore", "Msg_waarschuwingRestore_1", "")) +
                            QStringLiteral("  ") + QDir::toNativeSeparators(path) + QStringLiteral("\n\r") +
                            Latin1(LanguageFile.ReadString("BackupRestore", "Msg_waarschuwingRestore_2", ""));
    const QMessageBox::StandardButton answer =
        Dialogs.MessageBox(Parent, QMessageBox::Warning,
                           Latin1(LanguageFile.ReadString("BackupRestore", "Msg_waarschuwingCaption", "")), warning,
                           QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    if (answer == QMessageBox::Yes)
        Window.Execute(WholeDeviceMode);
}

void InstallTransferCommands(TFormMain& Main)
{
    if (!FormLeesParSoll)
        new TFormLeesParSoll(&Main.ZBComm1, &Main);
    if (!FormSchrijfParSoll)
        new TFormSchrijfParSoll(&Main.ZBComm1, &Main);
    if (!FormParLoader)
        new TFormParLoader(&Main.ZBComm1, &Main);

    Main.Windows.ReadEverything = []() -> std::optional<TFormMain::ReadEverythingResult> {
        TFormMain::ReadEverythingResult result;
        if (!FormLeesParSoll || !ReceiveParametersAndSetpoints(*FormLeesParSoll, result.parameters, result.setpoints))
            return std::nullopt;
        return result;
    };
    Main.Windows.Backup = [&Main] {
        if (FormLeesParSoll)
            BackupKM40(*FormLeesParSoll, &Main, AppDialogs());
    };
    Main.Windows.Restore = [&Main] {
        if (FormSchrijfParSoll)
            RestoreKM40(*FormSchrijfParSoll, &Main, AppDialogs());
    };
}
