#pragma once
// The cam display, the live graph and the linearisation editor: created once as children of the
// main window and hooked into its "Venster" menu (the parameter editor reaches them through the
// same hooks).

class TFormMain;

// Needs the single-parameter dialog (InstallEditorWindows) for the linearisation editor's edits.
void InstallViewWindows(TFormMain& Main);
