#pragma once
// Creates the serial settings and device search windows (children of the main window, bound to its
// port) and hooks them into the main window's "Serieel" and "Apparaat zoeken..." items.

class TFormMain;

void InstallSerialWindows(TFormMain& Main);
