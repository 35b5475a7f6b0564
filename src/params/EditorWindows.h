#pragma once
// The parameter editor, the single-parameter dialog and the setpoint editor: created once as
// children of the main window (bound to its port) and hooked into its Edit menu.

class TFormMain;

// Needs the read, write and loader windows (InstallTransferCommands) for the editors' transfer
// commands; creates what does not exist yet.
void InstallEditorWindows(TFormMain& Main);
