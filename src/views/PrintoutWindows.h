#pragma once
// The parameter and setpoint printout windows: created once as children of the main window and
// hooked into it for the editors' print commands.

class TFormMain;

void InstallPrintoutWindows(TFormMain& Main);
