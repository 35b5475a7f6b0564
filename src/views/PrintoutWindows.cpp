#include "views/PrintoutWindows.h"

#include "app/KM40Main.h"
#include "views/AfdrukkenPar.h"
#include "views/AfdrukkenSoll.h"

void InstallPrintoutWindows(TFormMain& Main)
{
    if (!FormAfdrukkenPar)
        new TFormAfdrukkenPar(&Main);
    if (!FormAfdrukkenSoll)
        new TFormAfdrukkenSoll(&Main);
    Main.Windows.ParameterPrintout = [] {
        if (FormAfdrukkenPar)
            FormAfdrukkenPar->exec();
    };
    Main.Windows.SetpointPrintout = [] {
        if (FormAfdrukkenSoll)
            FormAfdrukkenSoll->exec();
    };
}
