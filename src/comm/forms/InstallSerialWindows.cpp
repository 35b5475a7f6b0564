#include "comm/forms/InstallSerialWindows.h"

#include "app/KM40Main.h"
#include "comm/forms/ApparaatZoeken.h"
#include "comm/forms/InitSerial.h"

#include <QSpinBox>

void InstallSerialWindows(TFormMain& Main)
{
    if (!FormInitSerial)
        new TFormInitSerial(&Main.ZBComm1, &Main);
    if (!FormApparaatZoeken)
        new TFormApparaatZoeken(&Main.ZBComm1, &Main);
    FormApparaatZoeken->SetUnitNumber = [&Main](int unit) { Main.SpinEditUnitSelect->setValue(unit); };
    Main.Windows.SerialSettings = [] {
        if (FormInitSerial)
            FormInitSerial->exec();
    };
    Main.Windows.DeviceSearch = [] {
        if (!FormApparaatZoeken)
            return false;
        FormApparaatZoeken->exec();
        return FormApparaatZoeken->LineLostReported();
    };
}
