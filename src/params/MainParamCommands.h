#pragma once
// The main window's three Communicatie commands that move whole value sets: "Parameters + Sollwerten
// ontvangen", "Backup KM40..." and "Restore KM40...". The main window stops its live polls before
// calling them; backup and restore leave the value tables and their sources untouched.

#include "app/core/Global_var.h"

class Dialogs;
class QWidget;
class TFormLeesParSoll;
class TFormMain;
class TFormSchrijfParSoll;

// Reads parameters and setpoints (read window, mode 2). True on OK, with the values read handed out;
// otherwise both tables are left as they were.
bool ReceiveParametersAndSetpoints(TFormLeesParSoll& Window, TParameterValues& Parameters, TSetpointValues& Setpoints);

// Reads the whole controller (read window, mode 3) and saves it as a backup file. A cancelled read
// or save dialog ends the command; a failed save keeps any previous file and is reported.
void BackupKM40(TFormLeesParSoll& Window, QWidget* Parent, Dialogs& Dialogs);

// Opens a backup file and refuses one that is short, long or has a wrong marker before anything is
// sent; then warns and, on Yes, writes it into the controller (write window, mode 3, "bp" last).
void RestoreKM40(TFormSchrijfParSoll& Window, QWidget* Parent, Dialogs& Dialogs);

// Creates the read, write and loader windows (children of Main, bound to its port) where they do
// not exist yet, and hooks the three commands into Main.Windows.
void InstallTransferCommands(TFormMain& Main);
