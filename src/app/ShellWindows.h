#pragma once
// The options, about and error-help windows: created once as children of the main window and
// hooked into its menu.

class TFormMain;

void InstallShellWindows(TFormMain& Main);
