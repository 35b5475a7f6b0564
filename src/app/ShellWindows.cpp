#include "app/ShellWindows.h"

#include "app/About.h"
#include "app/InfoErrorNummers.h"
#include "app/KM40Main.h"
#include "app/Opties.h"

void InstallShellWindows(TFormMain& Main)
{
    if (!FormOpties)
        new TFormOpties(&Main);
    if (!FormAbout)
        new TFormAbout(&Main);
    if (!FormInfoErrorNummers)
        new TFormInfoErrorNummers(&Main);
    Main.Windows.Options = [] {
        if (FormOpties)
            FormOpties->exec();
    };
    Main.Windows.About = [] {
        if (FormAbout)
            FormAbout->exec();
    };
    Main.Windows.ErrorHelp = [] {
        if (FormInfoErrorNummers)
            FormInfoErrorNummers->ShowHelp();
    };
}
