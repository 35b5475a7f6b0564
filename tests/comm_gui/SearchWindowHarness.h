#pragma once
// The device search window of a fresh main window, in English, shown against the harness's simulated
// units: unit numbers 0..HighestUnit only and 40 ms probes, to keep a search short.
#include "MainWindowHarness.h"

#include "comm/forms/ApparaatZoeken.h"
#include "comm/forms/InstallSerialWindows.h"

namespace gui_test {

inline TFormApparaatZoeken& ShowSearchWindow(MainWindowHarness& Harness, int UnitNo, int HighestUnit)
{
    Harness.Dir().Copy(QStringLiteral("Taal1.ini"));
    Harness.WriteSettings(UnitNo, 1);
    InstallSerialWindows(Harness.CreateForm());
    TDeviceSearch::TOptions options;
    options.HighestUnit = HighestUnit;
    options.ProbeTimeoutMs = 40;
    FormApparaatZoeken->Search().SetOptions(options);
    FormApparaatZoeken->show();
    return *FormApparaatZoeken;
}

} // namespace gui_test
