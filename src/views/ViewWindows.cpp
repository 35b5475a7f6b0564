#include "views/ViewWindows.h"

#include "app/KM40Main.h"
#include "views/DisplayNokken.h"
#include "views/Grafiek.h"
#include "views/Linearisatie.h"

void InstallViewWindows(TFormMain& Main)
{
    if (!FormDisplayNokken)
        new TFormDisplayNokken(&Main);
    if (!FormGrafiek)
        new TFormGrafiek(&Main.ZBComm1, &Main);
    if (!FormLinearisatie)
        new TFormLinearisatie(&Main);
    Main.Windows.CamDisplay = [] {
        if (FormDisplayNokken)
            FormDisplayNokken->Execute();
    };
    Main.Windows.LiveGraph = [] {
        if (FormGrafiek)
            FormGrafiek->Execute();
    };
    Main.Windows.Linearisation = [] {
        if (FormLinearisatie)
            FormLinearisatie->Execute();
    };
}
